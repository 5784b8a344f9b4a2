#pragma once

#include "Database.h"

#include <QStringList>

namespace store {

class Dataset;

// The rows of an open view read in one statement, as walking the view would give them: under
// its filter, in its order, each named field of its table or of a lookup (a lookup's text cut
// to its width). For writers that go through many rows: the view does not move. A writer that
// looks rows up at random gives the files a ReadCache for as long as it reads them.
class ViewScan {
public:
    ViewScan(const Dataset& view, const QStringList& fields);

    bool next() { return m_stmt.step(); }
    const Statement& row() const { return m_stmt; }                  // one column per field, in their order
    FieldType type(int column) const { return m_types.at(column); }  // a lookup's is Text

private:
    static QString select(const Dataset& view, const QStringList& fields, QList<FieldType>& types);

    QList<FieldType> m_types;
    Statement m_stmt;
};

}  // namespace store
