#include "UVerDetalle.h"

TFVerDetalles* FVerDetalles = nullptr;

TFVerDetalles::TFVerDetalles(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FVerDetalles"));
    setWindowTitle(QStringLiteral("Anticipo"));
}
