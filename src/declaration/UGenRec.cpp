#include "UGenRec.h"

TFGenRec* FGenRec = nullptr;

TFGenRec::TFGenRec(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FGenRec"));
    setWindowTitle(QStringLiteral("Rectificativa"));
}
