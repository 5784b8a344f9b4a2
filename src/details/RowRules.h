#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace store {
class Dataset;
}

// The rules a row keeps before it is posted, without windows: the entry dialogs, the voiding
// dialogs, the agent's dialog and the detail import share them. Each answers the first rule the
// row fails, or nothing; a window tells the message and sends the focus to the field's box.
namespace rowrules {

struct RowFault {
    QString field;    // the field whose box the clerk is sent back to
    QString message;  // what the clerk is told
};
using Verdict = std::optional<RowFault>;

// What an empty obligatory value of a period row or a client is told.
inline const QString MissingData = QStringLiteral("Faltan Datos Obligatorios");

// The first of the fields, in the order given, that the row holds empty (read as text, so a
// lookup is empty when the row's key names no client or one without that value).
Verdict firstMissing(const store::Dataset& row, const QStringList& fields, const QString& message = MissingData);

// Booklets are counted from the first and last form numbers, both included.
double canTalonarios(double desde, double hasta);
// The first number is not past the last; whole form numbers compare, halves round to the even
// neighbour as the grids show them.
bool numbersInOrder(double desde, double hasta);
// The same rule told as a fault of the first number.
Verdict formNumbersFault(double desde, double hasta);

// The form numbers of a printed-forms row: refused when the first is past the last, else the
// booklet count is set from them.
Verdict completeFormNumbers(store::Dataset& row);

// A printed-forms row entered in the open period: its numbers as above, and not voided.
Verdict completeOpenFormsRow(store::Dataset& row);
// A machine row entered in the open period is not voided either.
Verdict completeOpenMachineRow(store::Dataset& row);
// A printed-forms row voided or added in a filed period: its numbers as above; a flag left empty
// is "N". A machine row there keeps its flag as given, empty included: nothing to complete.
Verdict completeFiledFormsRow(store::Dataset& row);

// The agent's row: its obligatory values in order, then at least one of its three activities.
Verdict agentFault(const store::Dataset& agent);

}  // namespace rowrules
