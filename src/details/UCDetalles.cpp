#include "UCDetalles.h"

TFCDetalles* FCDetalles = nullptr;

TFCDetalles::TFCDetalles(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FCDetalles"));
    setWindowTitle(QStringLiteral("Detalles"));
}
