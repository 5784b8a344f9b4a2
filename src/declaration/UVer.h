#pragma once

#include "PeriodList.h"

// The filed periods, for issuing one again.
class TFVer : public PeriodListDialog {
    Q_OBJECT
public:
    explicit TFVer(QWidget* parent = nullptr);

protected:
    void openPeriod() override;
};

extern TFVer* FVer;
