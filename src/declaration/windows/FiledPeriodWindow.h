#pragma once

#include "widgets/FormDialog.h"

class DBEdit;
class DBGrid;
class DestinationGroup;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

// The window of one filed period: its year, anticipo and amendment number over the period
// row, its printed-forms and machine rows as the period views show them, the destination and
// the button that generates its declaration again. Coming back to the window (it is shown, or
// a dialog it opened closes) shows the default destination again.
class FiledPeriodWindow : public FormDialog {
    Q_OBJECT
public:
    QGroupBox* GroupBox1;
    DBEdit* DBEdit1;       // Anio
    DBEdit* DBEdit2;       // Anticipo
    DBEdit* DBEdit3;       // Rectificativa
    QPushButton* BitBtn1;  // generates
    QPushButton* BitBtn2;  // "Salir"
    QGroupBox* GroupBox2;  // "Formularios"
    DBGrid* DBGrid1;
    QGroupBox* GroupBox3;  // "Maquinas"
    DBGrid* DBGrid2;
    DestinationGroup* GroupBox4;

    void BitBtn2Click();

protected:
    FiledPeriodWindow(const char* name, const QString& caption, const QString& groupCaption,
                      const QString& generateCaption, const char* defaultButtonName, QWidget* parent);
    void showEvent(QShowEvent* event) override;

    // Where a window puts buttons beside its grids.
    QVBoxLayout* formsButtons;
    QVBoxLayout* machinesButtons;

    // The destination as chosen now; the diskette check brings the default back into view
    // after its message, as any return to the window does.
    bool acceptDestination(QString& destino);
    void returnedToWindow();
};
