#pragma once

#include "TableDef.h"

#include <QString>
#include <QVariant>

// A field's values between what the program and the user handle (text as typed, numbers,
// dates) and what a table file stores, by the field's type and width.
namespace store::fieldcodec {

// What goes into the file; throws a ConversionError naming the field for what it cannot hold.
QVariant toStored(const FieldDef& f, const QVariant& value);
// A text as a text field stores it: cut to the field's width; a ConversionError naming the
// field when a character cannot be held (a NUL, or one outside Windows-1252). Empty text is stored as null.
QStringView storedText(const FieldDef& f, QStringView text);
// The text cut to the field's width, nothing checked.
inline QStringView cutToWidth(const FieldDef& f, QStringView text) { return f.width > 0 ? text.left(f.width) : text; }
// What the file holds, as the program reads it (a QDate for dates).
QVariant fromStored(const FieldDef& f, const QVariant& stored);
// What the user sees in the program's fixed forms; f may be null (a lookup's text).
QString text(const FieldDef* f, const QVariant& stored);

}  // namespace store::fieldcodec
