#include "UReparar.h"

TFReparacion* FReparacion = nullptr;

TFReparacion::TFReparacion(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FReparacion"));
    setWindowTitle(QStringLiteral("Reparación de Tablas"));
}
