#pragma once

#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

class DBComboBox;
class DBEdit;
class QPushButton;

// One client's data, over the row its caller put into insert or edit state. Leaving the dialog
// by any way drops what was not saved.
class TFClientes : public FormDialog {
    Q_OBJECT
public:
    explicit TFClientes(QWidget* parent = nullptr);

    void BitBtn1Click();  // Aceptar
    void BitBtn2Click();  // Cancelar

protected:
    void showEvent(QShowEvent* event) override;

private:
    DBEdit* DBEdit1;          // Razón Social
    DBEdit* DBEdit2;          // Cuit
    DBEdit* DBEdit3;          // N° Inscripción
    DBEdit* DBEdit4;          // Domicilio
    DBEdit* DBEdit5;          // Codigo Postal
    DBComboBox* DBComboBox1;  // Provincia
    DBComboBox* DBComboBox2;  // Localidad
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
};

extern FormInstance<TFClientes> FClientes;
