#include "CargarContri.h"

TFCargarcont* FCargarcont = nullptr;

TFCargarcont::TFCargarcont(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FCargarcont"));
    setWindowTitle(QStringLiteral("Importación de Padrón de Clientes"));
}
