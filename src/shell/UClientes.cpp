#include "UClientes.h"

TFClientes* FClientes = nullptr;

TFClientes::TFClientes(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FClientes"));
    setWindowTitle(QStringLiteral("Datos del Cliente"));
}
