#pragma once

#include <QDialog>
#include "widgets/FormInstance.h"

class DBGrid;
class QToolButton;

// The client list, in C.U.I.T. order, from which a client is changed or deleted.
class TFClienteMod : public QDialog {
    Q_OBJECT
public:
    explicit TFClienteMod(QWidget* parent = nullptr);

    void BitBtn1Click();  // Modificar, and a double click on the grid
    void BitBtn2Click();  // Borrar
    void BitBtn3Click();  // Volver

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DBGrid* DBGrid1;
    QToolButton* BitBtn1;
    QToolButton* BitBtn2;
    QToolButton* BitBtn3;
};

extern FormInstance<TFClienteMod> FClienteMod;
