#pragma once

#include "TableDef.h"

#include <QString>
#include <QVariantList>

namespace store {

// A filter text of the views ("anio=null", "anio='2016' and Anticipo='03'") turned into a
// WHERE clause with bound values. Field names compare without case; "=null" matches a null
// field, and since empty text is stored as null, '' matches it too. "<>" is true for a null
// field. Throws StoreError (BadFilter) for a text it cannot read.
struct Filter {
    QString sql;  // empty: every row
    QVariantList values;

    static Filter parse(const QString& text, const TableDef& def);
};

}  // namespace store
