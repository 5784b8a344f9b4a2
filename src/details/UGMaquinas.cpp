#include "UGMaquinas.h"

TFGMaquina* FGMaquina = nullptr;

TFGMaquina::TFGMaquina(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FGMaquina"));
    setWindowTitle(QStringLiteral("Cargar detalle de Maquina"));
}
