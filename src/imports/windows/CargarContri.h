#pragma once

#include "imports/ClientImport.h"

#include "ImportWindow.h"
#include "widgets/FormInstance.h"

class QGroupBox;
class QLabel;
class QSpinBox;

// Loads the client register from a fixed-column text file: only complete, valid and new
// clients are added; nothing already in the table changes. The column positions typed in last
// while the program runs.
class TFCargarcont : public ImportWindow {
    Q_OBJECT
public:
    explicit TFCargarcont(QWidget* parent = nullptr);

    imports::ClientColumns columns() const;  // as the spinners stand

public slots:
    void BitBtn1Click();  // "S&eleccionar"
    void BitBtn2Click();  // "&Cargar"

private:
    QGroupBox* GroupBox1;
    QSpinBox* SE[15] = {};  // SE[1] to SE[14]: "Desde" and "Hasta" of each value, in row order
    QLabel* Label9;         // the progress
};

extern FormInstance<TFCargarcont> FCargarcont;
