#include "UPresentaciones.h"

TFPresentaciones* FPresentaciones = nullptr;

TFPresentaciones::TFPresentaciones(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FPresentaciones"));
    setWindowTitle(QStringLiteral("Presentaciones"));
}
