#include "UDetalleG.h"

TFDetalle* FDetalle = nullptr;

TFDetalle::TFDetalle(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FDetalle"));
    setWindowTitle(QStringLiteral("Detalle de Presentación"));
}
