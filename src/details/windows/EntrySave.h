#pragma once

#include "details/RowRules.h"
#include "widgets/EntryTable.h"

#include <functional>

class QDialog;
class QWidget;
namespace store {
class Dataset;
}

// The "Aceptar" and "Cancelar" that every entry dialog of the period's rows shares.
namespace entrysave {

using RowRule = std::function<rowrules::Verdict(store::Dataset&)>;
using Post = std::function<void(store::Dataset&)>;

// Writes what the boxes hold into the pending row, checks the table's obligatory fields in order,
// completes the row by its rule and posts it (by default a plain post). At the first fault the
// clerk is told and sent to the box of the field, and the row stays pending. True once posted.
bool save(QWidget& dialog, EntryTable table, store::Dataset& rows, const RowRule& rule, const Post& post = {});

// Drops the pending change of the row and closes the dialog.
void cancel(QDialog& dialog, store::Dataset& rows);

}  // namespace entrysave
