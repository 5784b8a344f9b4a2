#pragma once

#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

class DBComboBox;
class DBDateEdit;
class DBEdit;
class DBLookupComboBox;
class QGroupBox;
class QPushButton;

// Entry of one printed-forms row of the open period, on the pending row of TDetalles that the
// caller put into insert or edit state. The dialog posts it or cancels it.
class TFCDetalles : public FormDialog {
    Q_OBJECT
public:
    explicit TFCDetalles(QWidget* parent = nullptr);

    void BitBtn1Click();  // Aceptar
    void BitBtn2Click();  // Cancelar

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* GroupBox1;
    DBDateEdit* DBEdit1;
    DBLookupComboBox* DBLookupComboBox1;
    DBLookupComboBox* DBLookupComboBox2;
    DBComboBox* DBComboBox1;
    DBEdit* DBEdit2;
    DBEdit* DBEdit3;
    DBEdit* DBEdit4;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
};

extern FormInstance<TFCDetalles> FCDetalles;
