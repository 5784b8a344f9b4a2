#pragma once

#include "details/RowMode.h"

#include "widgets/EntryTable.h"
#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

class DBComboBox;
class DBDateEdit;
class DBEdit;
class DBLookupComboBox;
class QGridLayout;
class QGroupBox;
class QPushButton;
namespace store {
class Dataset;
}

// Voiding and adding printed-forms rows of a filed period under amendment, on the pending row
// of TVerDetalles that the caller put into edit (void) or insert (add) state. The row is posted
// with the period of the current row of TAnticipos, or cancelled.
class TFAnular : public FormDialog {
    Q_OBJECT
public:
    explicit TFAnular(QWidget* parent = nullptr);

    // Void leaves only the flag writable; Add makes every box writable again.
    void setMode(RowMode mode);
    RowMode mode() const { return m_mode; }

    void BitBtn1Click();  // Aceptar
    void BitBtn2Click();  // Cancelar

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* GroupBox1;
    DBDateEdit* DBEdit1;
    DBComboBox* DBComboBox1;
    DBLookupComboBox* DBLookupComboBox1;
    DBLookupComboBox* DBLookupComboBox2;
    DBComboBox* DBComboBox2;
    DBEdit* DBEdit2;
    DBEdit* DBEdit4;
    DBEdit* DBEdit5;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    RowMode m_mode = RowMode::Void;
};

extern FormInstance<TFAnular> FAnular;

namespace amendment {

// The drop-down for the voided flag: "S" or "N", typed or picked; a letter typed in lower case
// is taken in capitals, any other letter is refused.
DBComboBox* flagBox(QWidget* parent);

// The lines of a voiding dialog, one per line, except the first, which holds the date and,
// beside it, the flag a void is about (its label in red and bold, so the one box that matters in
// a void stands out). A control that may widen takes the room of the line.
void layOut(QGridLayout* grid, const QList<EntryLine>& lines);

// Posts the pending row of a view as a change to the period that is the current row of
// TAnticipos: the period's year and advance go into the row, and when no amendment was in
// preparation the period's amendment number goes up by one first. Both are saved or neither.
// Shows a notice and throws store::Abort when there is no period to post to.
void postToPeriod(store::Dataset& rows);

}  // namespace amendment
