#include "UClientesMod.h"

TFClienteMod* FClienteMod = nullptr;

TFClienteMod::TFClienteMod(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FClienteMod"));
    setWindowTitle(QStringLiteral("Clientes"));
}
