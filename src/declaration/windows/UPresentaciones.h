#pragma once

#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

class DBComboBox;
class DBGrid;
class DestinationGroup;
class QGroupBox;
class QLabel;
class QPushButton;

// Files the open period: the period row, the declaration file and the stamp on the open rows
// land together or not at all; the printout follows.
class TFPresentaciones : public FormDialog {
    Q_OBJECT
public:
    explicit TFPresentaciones(QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    QLabel* Label1;
    DBComboBox* DBComboBox1;
    QLabel* Label2;
    DBComboBox* DBComboBox2;
    QPushButton* BitBtn1;
    QGroupBox* GroupBox2;
    DBGrid* DBGrid1;
    QGroupBox* GroupBox3;
    DBGrid* DBGrid2;
    DestinationGroup* GroupBox4;
    QPushButton* BitBtn2;

    void BitBtn1Click();  // "Generar"
    void BitBtn2Click();  // "Salir"

protected:
    void showEvent(QShowEvent* event) override;

private:
    void restartPendingRow(const QString& anio, const QString& anticipo);
};

extern FormInstance<TFPresentaciones> FPresentaciones;
