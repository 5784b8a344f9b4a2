#include "RowList.h"

#include "Database.h"
#include "Filter.h"
#include "TableDef.h"

namespace store {

void RowList::invalidate()
{
    m_stale = true;
    m_rows.clear();
}

void RowList::clear()
{
    m_ids.clear();
    m_rows.clear();
    m_rowSql.clear();
    m_stale = true;
}

bool RowList::ensure(Database& db, const QString& table, const Filter& where, const QString& orderBy)
{
    if (!m_stale)
        return false;
    QString sql = QStringLiteral("SELECT rowid FROM ") + db.qualifiedTable(table);
    if (!where.sql.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.sql;
    sql += orderBy;
    Statement stmt(db, sql);
    for (int i = 0; i < where.values.size(); ++i)
        stmt.bind(i + 1, where.values[i]);
    QVector<qint64> ids;
    while (stmt.step())
        ids << stmt.column(0).toLongLong();
    m_ids = std::move(ids);
    m_stale = false;
    return true;
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
