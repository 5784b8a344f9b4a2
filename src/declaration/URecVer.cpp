#include "URecVer.h"

TFrecver* Frecver = nullptr;

TFrecver::TFrecver(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frecver"));
    setWindowTitle(QStringLiteral("Rectificativa"));
}
