#include "URecVer.h"

#include "UGenRec.h"
#include "widgets/ModalDialog.h"

TFrecver* Frecver = nullptr;

TFrecver::TFrecver(QWidget* parent)
    : PeriodListDialog("Frecver", QStringLiteral("Rectificativa"), QStringLiteral("Rectificativa"),
                       QStringLiteral("Volver"), parent)
{}

void TFrecver::openPeriod() { showModal(*FGenRec); }
