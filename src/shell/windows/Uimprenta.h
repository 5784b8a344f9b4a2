#pragma once

#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

class DBCheckBox;
class DBComboBox;
class DBEdit;
class QPushButton;

// The agent's own data: the one row of the agent table, which the "&Agente" entry puts into
// editing before the dialog is shown. The dialog holds no copy of the row.
class TFImprenta : public FormDialog {
    Q_OBJECT
public:
    explicit TFImprenta(QWidget* parent = nullptr);

    void BitBtn1Click();  // Aceptar
    void BitBtn2Click();  // Cancelar

protected:
    void showEvent(QShowEvent* event) override;

private:
    DBEdit* DBEdit1;          // Razon Social
    DBEdit* DBEdit2;          // Cuit
    DBEdit* DBEdit3;          // N° de Inscripción
    DBEdit* DBEdit4;          // Domicilio
    DBEdit* DBEdit5;          // Codigo Postal
    DBComboBox* DBComboBox1;  // Provincia
    DBComboBox* DBComboBox2;  // Localidad
    DBCheckBox* DBCheckBox1;  // Imprenta
    DBCheckBox* DBCheckBox2;  // Venta de Maquinas Registradoras
    DBCheckBox* DBCheckBox3;  // Autoimpresores
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
};

extern FormInstance<TFImprenta> FImprenta;
