#pragma once

#include "FiledPeriodWindow.h"
#include "widgets/FormInstance.h"

// The amended declaration of a filed period: voids and adds its rows, then generates it.
class TFGenRec : public FiledPeriodWindow {
    Q_OBJECT
public:
    explicit TFGenRec(QWidget* parent = nullptr);

    QPushButton* BitBtn3;  // "Anular", printed forms
    QPushButton* BitBtn5;  // "Insertar", printed forms
    QPushButton* BitBtn4;  // "Anular", machines
    QPushButton* BitBtn6;  // "Insertar", machines

    void BitBtn1Click();  // "Generar"
    void BitBtn3Click();
    void BitBtn5Click();
    void BitBtn4Click();
    void BitBtn6Click();
};

extern FormInstance<TFGenRec> FGenRec;
