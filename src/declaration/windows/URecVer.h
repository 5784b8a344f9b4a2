#pragma once

#include "PeriodListDialog.h"
#include "widgets/FormInstance.h"

// Picks the filed period to amend.
class TFrecver : public PeriodListDialog {
    Q_OBJECT
public:
    explicit TFrecver(QWidget* parent = nullptr);

protected:
    void openPeriod() override;
};

extern FormInstance<TFrecver> Frecver;
