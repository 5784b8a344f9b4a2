#include "RowList.h"

#include "Database.h"
#include "Filter.h"
#include "TableDef.h"

#include <algorithm>

namespace store {

namespace {

QString idsSql(const Database& db, const QString& table, const Filter& where, const RowOrder& order)
{
    QString sql = QStringLiteral("SELECT rowid FROM ") + db.qualifiedTable(table);
    if (!where.sql.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.sql;
    return sql + order.clause();
}

void bindWhere(Statement& stmt, const Filter& where, int first)
{
    for (int i = 0; i < where.values.size(); ++i)
        stmt.bind(first + i, where.values[i]);
}

// Whether row a comes before row b, as ORDER BY sorts them: nulls first, then by each column's
// own comparison, which both rows share since they are of one table.
QString beforeSql(const Database& db, const QString& table, const RowOrder& order)
{
    QString test;
    for (qsizetype i = order.columns.size() - 1; i >= 0; --i) {
        const QString a = QStringLiteral("a.") + order.columns[i], b = QStringLiteral("b.") + order.columns[i];
        const QString less =
            i == order.columns.size() - 1
                ? QStringLiteral("%1 < %2").arg(a, b)  // rowid: never null, never equal
                : QStringLiteral("(%1 IS NOT %2 AND (%1 IS NULL OR (%2 IS NOT NULL AND %1 < %2)))").arg(a, b);
        test = test.isEmpty() ? less : QStringLiteral("(%1 OR (%2 IS %3 AND %4))").arg(less, a, b, test);
    }
    return QStringLiteral("SELECT %1 FROM %2 AS a, %2 AS b WHERE a.rowid = ? AND b.rowid = ?")
        .arg(test, db.qualifiedTable(table));
}

}  // namespace

void RowList::invalidate()
{
    m_stale = true;
    m_rows.clear();
}

void RowList::clear()
{
    m_ids.clear();
    m_ids.squeeze();
    m_rows.clear();
    m_rowSql.clear();
    m_beforeSql.clear();
    m_stale = true;
}

bool RowList::ensure(Database& db, const QString& table, const Filter& where, const RowOrder& order)
{
    if (!m_stale)
        return false;
    Statement stmt(db, idsSql(db, table, where, order));
    bindWhere(stmt, where, 1);
    QVector<qint64> ids;
    ids.reserve(m_ids.size());
    m_maxId = 0;
    while (stmt.step()) {
        ids << stmt.integer(0);
        m_maxId = std::max(m_maxId, ids.last());
    }
    m_ids = std::move(ids);
    m_stale = false;
    return true;
}

void RowList::check(Database& db, const QString& table, const Filter& where, const RowOrder& order)
{
    Statement stmt(db, idsSql(db, table, where, order));
}

bool RowList::passes(Database& db, const QString& table, const Filter& where, qint64 rowid)
{
    QString sql = QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?").arg(db.qualifiedTable(table));
    if (!where.sql.isEmpty())
        sql += QStringLiteral(" AND (%1)").arg(where.sql);
    Statement stmt(db, sql);
    stmt.bind(1, rowid);
    bindWhere(stmt, where, 2);
    return stmt.step();
}

qint64 RowList::firstId(Database& db, const QString& table, const Filter& where, const RowOrder& order)
{
    Statement stmt(db, idsSql(db, table, where, order) + QStringLiteral(" LIMIT 1"));
    bindWhere(stmt, where, 1);
    return stmt.step() ? stmt.integer(0) : -1;
}

qint64 RowList::lastId(Database& db, const QString& table, const Filter& where, const RowOrder& order)
{
    QString sql = QStringLiteral("SELECT rowid FROM ") + db.qualifiedTable(table);
    if (!where.sql.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.sql;
    Statement stmt(db, sql + order.reversed() + QStringLiteral(" LIMIT 1"));
    bindWhere(stmt, where, 1);
    return stmt.step() ? stmt.integer(0) : -1;
}

int RowList::count(Database& db, const QString& table, const Filter& where)
{
    QString sql = QStringLiteral("SELECT count(*) FROM ") + db.qualifiedTable(table);
    if (!where.sql.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.sql;
    Statement stmt(db, sql);
    bindWhere(stmt, where, 1);
    return stmt.step() ? int(stmt.integer(0)) : 0;
}

int RowList::comesBefore(Database& db, qint64 a, qint64 b)
{
    Statement stmt(db, m_beforeSql);
    stmt.bind(1, a);
    stmt.bind(2, b);
    return stmt.step() ? (stmt.integer(0) ? 1 : 0) : -1;
}

int RowList::position(Database& db, qint64 rowid)
{
    // Rows are mostly added at the end of their order.
    int low = 0, high = int(m_ids.size());
    if (high > 0) {
        const int last = comesBefore(db, m_ids.last(), rowid);
        if (last < 0)
            return -1;
        if (last)
            return high;
        --high;
    }
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const int before = comesBefore(db, m_ids[middle], rowid);
        if (before < 0)
            return -1;
        if (before)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

RowList::Move RowList::place(Database& db, const QString& table, const Filter& where, const RowOrder& order,
                             qint64 rowid, int hint)
{
    m_rows.remove(rowid);
    Move move;
    if (m_stale)
        return move;
    // A row past every id of the list is new to it; else it is looked for, where the caller
    // expects it first.
    if (hint >= 0 && hint < m_ids.size() && m_ids[hint] == rowid)
        move.from = hint;
    else if (rowid <= m_maxId)
        move.from = int(m_ids.indexOf(rowid));
    if (!passes(db, table, where, rowid)) {
        if (move.from >= 0)
            m_ids.remove(move.from);
        return move;
    }
    if (m_beforeSql.isEmpty())
        m_beforeSql = beforeSql(db, table, order);
    // A changed row whose place in the order holds stays where it is.
    if (move.from >= 0) {
        const int count = int(m_ids.size());
        const int after = move.from == 0 ? 1 : comesBefore(db, m_ids[move.from - 1], rowid);
        const int before = move.from + 1 == count ? 1 : comesBefore(db, rowid, m_ids[move.from + 1]);
        if (after == 1 && before == 1) {
            move.to = move.from;
            return move;
        }
        m_ids.remove(move.from);
    }
    move.to = position(db, rowid);
    if (move.to < 0) {
        // A row of the list is gone without a word: read them all again.
        invalidate();
        move.reread = true;
        return move;
    }
    m_ids.insert(move.to, rowid);
    m_maxId = std::max(m_maxId, rowid);
    return move;
}

const RowList::Row& RowList::row(Database& db, const TableDef& def, const QString& table, qint64 rowid)
{
    const auto cached = m_rows.constFind(rowid);
    if (cached != m_rows.constEnd())
        return *cached;
    if (m_rowSql.isEmpty()) {
        QStringList columns;
        for (const FieldDef& f : def.fields)
            columns << quoteIdentifier(f.name);
        m_rowSql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                       .arg(columns.join(QStringLiteral(", ")), db.qualifiedTable(table));
    }
    Statement stmt(db, m_rowSql);
    stmt.bind(1, rowid);
    const int count = int(def.fields.size());
    Row row;
    if (stmt.step())
        for (int i = 0; i < count; ++i)
            row << stmt.column(i);
    else
        row = Row(count);
    if (m_rows.size() >= CacheLimit)
        m_rows.clear();
    return *m_rows.insert(rowid, row);
}

}  // namespace store
