#pragma once

#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

class DBDateEdit;
class DBEdit;
class DBLookupComboBox;
class DBPriceEdit;
class QGroupBox;
class QPushButton;

// Entry of one cash-register row of the open period, on the pending row of TMaquinas that the
// caller put into insert or edit state. The dialog posts it or cancels it.
class TFGMaquina : public FormDialog {
    Q_OBJECT
public:
    explicit TFGMaquina(QWidget* parent = nullptr);

    void BitBtn1Click();  // Aceptar
    void BitBtn2Click();  // Cancelar

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* GroupBox1;
    DBDateEdit* DBEdit1;
    DBLookupComboBox* DBLookupComboBox1;
    DBLookupComboBox* DBLookupComboBox2;
    DBEdit* DBEdit4;
    DBEdit* DBEdit5;
    DBEdit* DBEdit2;
    DBPriceEdit* DBEdit6;
    DBEdit* DBEdit3;
    DBEdit* DBEdit7;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
};

extern FormInstance<TFGMaquina> FGMaquina;
