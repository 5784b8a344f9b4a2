#pragma once

#include "TableDef.h"

#include <QString>
#include <optional>

// The rows of a table file read one by one against the table's field rules, as a copy of the
// tables is judged before it replaces the clerk's own: every value of the type and range its
// field admits, texts within their width, in Windows-1252 and with no NUL, CR or LF, the key
// present. A row the repair would set aside must not come in through a restore.
namespace store {

struct RowFault {
    qint64 row = 0;  // the row's number in its table
    QString field;   // the field at fault, as the clerk knows it
    QString why;     // in Spanish
};

// The first row of the file at path that breaks a rule; nothing when every row keeps them.
// A file that cannot be read throws StoreError (TableDamaged).
std::optional<RowFault> firstRowFault(const QString& path, const TableDef& def);

}  // namespace store
