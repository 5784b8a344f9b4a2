#pragma once

#include "FiledPeriodWindow.h"
#include "widgets/FormInstance.h"

// The rows of one filed period, and "Re-Generar", which writes and prints its declaration again.
class TFVerDetalles : public FiledPeriodWindow {
    Q_OBJECT
public:
    explicit TFVerDetalles(QWidget* parent = nullptr);

    void BitBtn1Click();  // "Re-Generar"
};

extern FormInstance<TFVerDetalles> FVerDetalles;
