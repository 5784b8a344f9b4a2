#pragma once

#include "PageImage.h"
#include "TableDef.h"

#include <QString>
#include <optional>

// What a value read from a table's pages must be to go back into the table: the repair keeps
// a row only when every field passes, and the check of a backup's rows asks the same.
namespace store::pages {

// The text of a value's bytes when they are valid UTF-8, the encoding of our files.
std::optional<QString> utf8Text(const QByteArray& bytes);

// What stops a row from going into the table; empty when it may.
QString fieldFault(const FieldDef& field, const Value& value);

}  // namespace store::pages
