#include "UVer.h"

TFVer* FVer = nullptr;

TFVer::TFVer(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FVer"));
    setWindowTitle(QStringLiteral("Presentaciones Anteriores"));
}
