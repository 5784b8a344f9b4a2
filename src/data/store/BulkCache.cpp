#include "BulkCache.h"

namespace store {

BulkCache::BulkCache(Database& db, const QString& table) : m_db(db)
{
    m_schema = db.qualifiedFile(table);
    Statement size(db, QStringLiteral("PRAGMA %1.cache_size").arg(m_schema));
    if (size.step())
        m_former = size.column(0);
    db.exec(QStringLiteral("PRAGMA %1.cache_size=-%2").arg(m_schema).arg(Kilobytes));
}

void BulkCache::release()
{
    if (!m_former.isValid())
        return;
    const QVariant former = m_former;
    m_former = {};
    try {
        m_db.exec(QStringLiteral("PRAGMA %1.cache_size=%2").arg(m_schema).arg(former.toLongLong()));
    } catch (...) {
        // Only memory stays in use; the rows are unaffected.
    }
}

}  // namespace store
