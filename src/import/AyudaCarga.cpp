#include "AyudaCarga.h"

TAyCarga* AyCarga = nullptr;

TAyCarga::TAyCarga(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AyCarga"));
    setWindowTitle(QStringLiteral("Ayuda"));
}
