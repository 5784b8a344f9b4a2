#pragma once

#include "details/RowMode.h"

#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

class DBComboBox;
class DBDateEdit;
class DBEdit;
class DBLookupComboBox;
class DBPriceEdit;
class QPushButton;

// Voiding and adding cash-register rows of a filed period under amendment, on the pending row
// of TVerMaquinas that the caller put into edit (void) or insert (add) state. The row is posted
// with the period of the current row of TAnticipos, or cancelled.
class TFAnulaMaquina : public FormDialog {
    Q_OBJECT
public:
    explicit TFAnulaMaquina(QWidget* parent = nullptr);

    // Void fixes the date, client, brand, model and price; Add makes them writable again.
    void setMode(RowMode mode);
    RowMode mode() const { return m_mode; }

    void BitBtn1Click();  // Aceptar
    void BitBtn2Click();  // Cancelar

protected:
    void showEvent(QShowEvent* event) override;

private:
    DBDateEdit* DBEdit1;
    DBComboBox* DBComboBox1;
    DBLookupComboBox* DBLookupComboBox1;
    DBLookupComboBox* DBLookupComboBox2;
    DBEdit* DBEdit3;
    DBEdit* DBEdit5;
    DBEdit* DBEdit2;
    DBPriceEdit* DBEdit6;
    DBEdit* DBEdit4;
    DBEdit* DBEdit7;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    RowMode m_mode = RowMode::Void;
};

extern FormInstance<TFAnulaMaquina> FAnulaMaquina;
