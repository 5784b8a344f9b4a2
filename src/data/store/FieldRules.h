#pragma once

#include "TableDef.h"

#include <QString>
#include <QVariant>

// The one place that says which values a field may hold. Assignment through a view, the bulk
// writers and the checks of rows read back from files all ask here, so no road in takes a
// value another refuses.
namespace store::fieldrules {

// What is wrong with a value as a table file holds it (null, text, a whole number or a float):
// empty when the field may hold it, else a Spanish text naming the field by its label.
QString fault(const FieldDef& f, const QVariant& stored);

// The same for a text about to be stored in a text field, already cut to its width.
QString textFault(const FieldDef& f, QStringView text);

// A date typed day/month/year with one or two digits for the day and month, written the way a
// date field of text form holds it (dd/mm/yyyy); the text itself when it is not such a date.
QString dateText(const QString& typed);

}  // namespace store::fieldrules
