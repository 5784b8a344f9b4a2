#include "Lookups.h"

#include "Database.h"
#include "Dataset.h"

namespace store {

const LookupDef* Lookups::find(const QString& field) const
{
    for (const LookupDef& l : m_defs)
        if (l.name.compare(field, Qt::CaseInsensitive) == 0)
            return &l;
    return nullptr;
}

bool Lookups::readsTable(const QString& table) const
{
    for (const LookupDef& l : m_defs)
        if (l.lookupDataset && l.lookupDataset->tableName().compare(table, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void Lookups::forget() const
{
    m_answers.clear();
    m_sources.clear();
    m_misses = 0;
}

QVariant Lookups::value(Database& db, const LookupDef& l, const QVariant& key) const
{
    if (key.isNull() || !key.isValid() || !l.lookupDataset)
        return {};
    const QString name = l.name.toLower();
    const QString cacheKey = key.toString();
    if (const auto answers = m_answers.constFind(name); answers != m_answers.constEnd()) {
        const auto hit = answers->constFind(cacheKey);
        if (hit != answers->constEnd())
            return *hit;
        if (answers->size() >= CacheLimit)
            forget();
    }
    Statement stmt(db, QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3 = ? LIMIT 1")
                           .arg(quoteIdentifier(l.resultField), db.qualifiedTable(l.lookupDataset->tableName()),
                                quoteIdentifier(l.lookupKeyField)));
    stmt.bind(1, key);
    QVariant result;
    if (stmt.step()) {
        m_sources.insert(stmt.integer(0));
        result = stmt.column(1);
        if (!result.isNull() && l.width > 0)
            result = result.toString().left(l.width);
    } else {
        ++m_misses;
    }
    m_answers[name].insert(cacheKey, result);
    return result;
}

QVariant Lookups::keyFor(Database& db, const LookupDef& l, const QString& result) const
{
    if (result.isEmpty() || !l.lookupDataset)
        return {};
    Statement stmt(db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY rowid LIMIT 1")
                           .arg(quoteIdentifier(l.lookupKeyField), db.qualifiedTable(l.lookupDataset->tableName()),
                                quoteIdentifier(l.resultField)));
    stmt.bind(1, result);
    return stmt.step() ? stmt.column(0) : QVariant();
}

QString Lookups::expression(const Database& db, const LookupDef& l, const QString& outer) const
{
    if (!l.lookupDataset)
        return QStringLiteral("NULL");
    QString result = QStringLiteral("l.") + quoteIdentifier(l.resultField);
    // substr counts characters, as the cut of value() does.
    if (l.width > 0)
        result = QStringLiteral("substr(%1, 1, %2)").arg(result).arg(l.width);
    return QStringLiteral("(SELECT %1 FROM %2 AS l WHERE l.%3 = %4.%5 LIMIT 1)")
        .arg(result, db.qualifiedTable(l.lookupDataset->tableName()), quoteIdentifier(l.lookupKeyField), outer,
             quoteIdentifier(l.keyField));
}

}  // namespace store
