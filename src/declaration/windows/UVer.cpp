#include "UVer.h"

#include "UVerDetalle.h"
#include "widgets/ModalDialog.h"

FormInstance<TFVer> FVer;

TFVer::TFVer(QWidget* parent)
    : PeriodListDialog("FVer", QStringLiteral("Presentaciones Anteriores"), QStringLiteral("Ver"),
                       QStringLiteral("Salir"), parent)
{}

void TFVer::openPeriod()
{
    showCurrentPeriod();
    showModal(*FVerDetalles);
}
