#pragma once

#include <QDialog>

class DBGrid;
class QGroupBox;
class QHBoxLayout;
class QPushButton;

// The list of filed periods ("Año", anticipo, "Rec.") with a button that opens the current one
// and a button that leaves. The list is read-only: a filed period is never edited in a grid.
class PeriodListDialog : public QDialog {
    Q_OBJECT
public:
    QGroupBox* GroupBox1;
    DBGrid* DBGrid1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

    void BitBtn1Click();  // opens the current period
    void BitBtn2Click();  // leaves

protected:
    PeriodListDialog(const char* name, const QString& caption, const QString& openCaption, const QString& leaveCaption,
                     QWidget* parent);
    void showEvent(QShowEvent* event) override;
    // Does what the open button offers for the current period, which is there.
    virtual void openPeriod() = 0;
    // The period views filtered on the current period, for a window that shows its rows.
    void showCurrentPeriod();
    // False, the user told, when no period was filed.
    bool hasPeriod();
    // Another button beside the open button, next in the tab order.
    void addButton(QPushButton* button);

private:
    QHBoxLayout* m_buttons;
};
