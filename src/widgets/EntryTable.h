#pragma once

#include <QList>
#include <QStringList>
#include <span>

class QLabel;
class QWidget;
namespace store {
class Dataset;
}

// One control of an entry dialog. A dialog lists its controls in tab order in one table, and the
// table gives the bindings, the labels, the tab chain and the obligatory values.
struct EntryField {
    const char* control;          // the control's designer name
    const char* field = nullptr;  // the field it shows; none for a button
    const char* label = nullptr;  // the caption of its label; none for a button
    bool obligatory = false;      // the row is not posted while the field is empty
};
using EntryTable = std::span<const EntryField>;

// A labelled control of the table, with the label made for it.
struct EntryLine {
    QLabel* label;
    QWidget* control;
};

namespace entrytable {

// The control of a row, found among the dialog's children by its designer name.
QWidget* control(const QWidget* dialog, const EntryField& row);
// The control that shows a field, compared ignoring case; none when no row shows it.
QWidget* controlOf(const QWidget* dialog, EntryTable table, const QString& field);

// Binds every control that shows a field to that field of the view.
void bind(const QWidget* dialog, EntryTable table, store::Dataset* rows);
// Tab (and so Enter) walks the controls in the table's order.
void chain(const QWidget* dialog, EntryTable table);
// A label for every labelled row, in order, named Label1, Label2, ... and made the buddy of its
// control, so a refused value is told by the label's text.
QList<EntryLine> lines(QWidget* labelParent, const QWidget* dialog, EntryTable table);
// The obligatory fields, in the order they are checked.
QStringList obligatoryFields(EntryTable table);

}  // namespace entrytable
