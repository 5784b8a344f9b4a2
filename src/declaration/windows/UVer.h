#pragma once

#include "PeriodListDialog.h"
#include "widgets/FormInstance.h"

// The filed periods, for issuing one again.
class TFVer : public PeriodListDialog {
    Q_OBJECT
public:
    explicit TFVer(QWidget* parent = nullptr);

protected:
    void openPeriod() override;
};

extern FormInstance<TFVer> FVer;
