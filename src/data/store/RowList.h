#pragma once

#include <QHash>
#include <QString>
#include <QVariantList>
#include <QVector>

namespace store {

class Database;
struct Filter;
struct TableDef;

// The rows a view goes through: the ordered row ids that pass its filter, read when first asked
// for after a change, and the rows themselves read one at a time into a bounded cache, so a view
// stays quick on a large table.
class RowList {
public:
    using Row = QVariantList;  // stored form, one entry per table field

    bool stale() const { return m_stale; }
    void invalidate();  // the ids and rows are read again when next asked for

    // Reads the ids when they are stale; answers whether it read them. orderBy is a whole
    // " ORDER BY …" clause.
    bool ensure(Database& db, const QString& table, const Filter& where, const QString& orderBy);
    const QVector<qint64>& ids() const { return m_ids; }
    void clear();  // all of it, for a view that closes: the next open may find the files elsewhere

    // The row of that id (all fields null when it is gone).
    const Row& row(Database& db, const TableDef& def, const QString& table, qint64 rowid);

private:
    static const int CacheLimit = 4096;
    QString m_rowSql;  // the one row's select, made at the first read
    bool m_stale = true;
    QVector<qint64> m_ids;
    QHash<qint64, Row> m_rows;
};

}  // namespace store
