#include "Carga.h"

TCargar* Cargar = nullptr;

TCargar::TCargar(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Cargar"));
    setWindowTitle(QStringLiteral("Importación de Detalle de Formularios"));
}
