#include "Uimprenta.h"

TFImprenta* FImprenta = nullptr;

TFImprenta::TFImprenta(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FImprenta"));
    setWindowTitle(QStringLiteral("Datos del Agente"));
}
