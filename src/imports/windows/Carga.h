#pragma once

#include "imports/DetailImport.h"

#include "ImportWindow.h"
#include "widgets/FormInstance.h"

class QGroupBox;
class QLabel;
class QSpinBox;

// Loads printed-forms rows into the open period from a fixed-column text file, all or
// nothing: a line that cannot be taken removes every imported row of the open period, so the
// agent loads the corrected file again. The column positions last while the program runs.
class TCargar : public ImportWindow {
    Q_OBJECT
public:
    explicit TCargar(QWidget* parent = nullptr);

    imports::DetailColumns columns() const;  // as the spinners stand

public slots:
    void BitBtn1Click();  // "S&eleccionar"
    void BitBtn2Click();  // "&Cargar"

private:
    QGroupBox* GroupBox1;
    QSpinBox* SE11;  // "Fecha"
    QSpinBox* SE12;
    QSpinBox* SE17;  // "Razon Social"
    QSpinBox* SE21;
    QSpinBox* SE1;  // "CUIT"
    QSpinBox* SE2;
    QSpinBox* SE5;  // "Tipo Comprobante"
    QSpinBox* SE6;
    QSpinBox* SE7;  // "N° Desde"
    QSpinBox* SE8;
    QSpinBox* SE9;  // "N° Hasta"
    QSpinBox* SE10;
    QSpinBox* SE18;  // "Punto de Venta o Emisión"
    QSpinBox* SE22;
    QLabel* Label1;  // the progress
};

extern FormInstance<TCargar> Cargar;
