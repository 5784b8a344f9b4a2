#pragma once

#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

class DBGrid;
class QGroupBox;
class QPushButton;
class QTabWidget;
class QToolButton;
namespace store {
class Dataset;
}

// The workbench of the open period: its printed-forms and machine rows, the entry dialogs
// that add, change and delete them, and the way on to filing the period.
class TFDetalle : public FormDialog {
    Q_OBJECT
public:
    explicit TFDetalle(QWidget* parent = nullptr);

    void BitBtn1Click();  // Modificar (printed forms), and a double click on DBGrid1
    void BitBtn2Click();  // Insertar
    void BitBtn3Click();  // Borrar
    void BitBtn6Click();  // Modificar (machines), and a double click on DBGrid2
    void BitBtn7Click();  // Insertar
    void BitBtn8Click();  // Borrar
    void BitBtn4Click();  // Generar
    void BitBtn5Click();  // Salir

signals:
    // "Generar" has started a pending period row; whoever files periods shows its form now.
    void generateRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createPage(const QString& name, const QString& group, DBGrid*& grid, const char* gridName,
                        const char* modify, const char* insert, const char* remove);
    static void removeCurrent(store::Dataset* dataset);

    QTabWidget* PageControl1;
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    DBGrid* DBGrid1;
    DBGrid* DBGrid2;
    QToolButton* BitBtn1;
    QToolButton* BitBtn2;
    QToolButton* BitBtn3;
    QToolButton* BitBtn6;
    QToolButton* BitBtn7;
    QToolButton* BitBtn8;
    QPushButton* BitBtn4;
    QPushButton* BitBtn5;
};

extern FormInstance<TFDetalle> FDetalle;
