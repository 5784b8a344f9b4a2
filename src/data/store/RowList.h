#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

namespace store {

class Database;
struct Filter;
struct TableDef;

// The order of a view's rows: its index's fields, then rowid, as the statement's ORDER BY
// names them.
struct RowOrder {
    QStringList columns;  // quoted, rowid last
    QString clause() const { return QStringLiteral(" ORDER BY ") + columns.join(QStringLiteral(", ")); }
    // The reverse order: nulls, first going up, come last going down.
    QString reversed() const
    {
        return QStringLiteral(" ORDER BY ") + columns.join(QStringLiteral(" DESC, ")) + QStringLiteral(" DESC");
    }
};

// The rows a view goes through: the ordered row ids that pass its filter, read when first asked
// for after a change, and the rows themselves read one at a time into a bounded cache, so a view
// stays quick on a large table. A change of one row moves that row's id alone.
class RowList {
public:
    using Row = QVariantList;  // stored form, one entry per table field

    bool stale() const { return m_stale; }
    void invalidate();  // the ids and rows are read again when next asked for

    // Reads the ids when they are stale; answers whether it read them.
    bool ensure(Database& db, const QString& table, const Filter& where, const RowOrder& order);
    const QVector<qint64>& ids() const { return m_ids; }
    void clear();  // all of it, for a view that closes: the next open may find the files elsewhere

    // Compiles what reading the ids takes, without reading them: a filter SQLite refuses fails
    // here.
    static void check(Database& db, const QString& table, const Filter& where, const RowOrder& order);
    // Whether the row is in the table and passes the filter.
    static bool passes(Database& db, const QString& table, const Filter& where, qint64 rowid);
    // The id of the first (last) row under the filter and order; -1 when there is none.
    static qint64 firstId(Database& db, const QString& table, const Filter& where, const RowOrder& order);
    static qint64 lastId(Database& db, const QString& table, const Filter& where, const RowOrder& order);
    static int count(Database& db, const QString& table, const Filter& where);

    // Where one row inserted, changed or deleted stood in the ids and where it stands now; -1
    // for not there. `reread` when the ids could not be placed and are stale now.
    struct Move {
        int from = -1;
        int to = -1;
        bool reread = false;
    };
    // Puts the row's id where the filter and the order place it now, the other ids untouched;
    // the row is read again when next asked for. On stale ids only the row is forgotten. hint:
    // where the row is likely to stand (the view's current position).
    Move place(Database& db, const QString& table, const Filter& where, const RowOrder& order, qint64 rowid,
               int hint = -1);

    // The row of that id (all fields null when it is gone).
    const Row& row(Database& db, const TableDef& def, const QString& table, qint64 rowid);

private:
    int comesBefore(Database& db, qint64 a, qint64 b);  // 1, 0, or -1 when a row is gone
    int position(Database& db, qint64 rowid);           // where the row goes in the ids; -1 on a gone row

    static const int CacheLimit = 4096;
    QString m_rowSql;     // the one row's select, made at the first read
    QString m_beforeSql;  // compares two rows in the view's order, made at the first change
    bool m_stale = true;
    QVector<qint64> m_ids;
    qint64 m_maxId = 0;  // no id of the list is above it
    QHash<qint64, Row> m_rows;
};

}  // namespace store
