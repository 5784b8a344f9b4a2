#include "URecVer.h"

#include "UGenRect.h"
#include "widgets/ModalDialog.h"

FormInstance<TFrecver> Frecver;

TFrecver::TFrecver(QWidget* parent)
    : PeriodListDialog("Frecver", QStringLiteral("Rectificativa"), QStringLiteral("Rectificativa"),
                       QStringLiteral("Volver"), parent)
{}

void TFrecver::openPeriod()
{
    showCurrentPeriod();
    showModal(*FGenRec);
}
