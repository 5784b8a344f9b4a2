#include "Uanular.h"

TFAnular* FAnular = nullptr;

TFAnular::TFAnular(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FAnular"));
    setWindowTitle(QStringLiteral("Rectificativa"));
}
