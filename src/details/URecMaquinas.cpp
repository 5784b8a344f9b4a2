#include "URecMaquinas.h"

TFAnulaMaquina* FAnulaMaquina = nullptr;

TFAnulaMaquina::TFAnulaMaquina(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FAnulaMaquina"));
    setWindowTitle(QStringLiteral("Rectificativa"));
}
