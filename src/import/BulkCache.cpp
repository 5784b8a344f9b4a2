#include "BulkCache.h"

namespace import {

BulkCache::BulkCache(store::Database& db, const QString& table) : m_db(db)
{
    const QString qualified = db.qualifiedTable(table);
    m_schema = qualified.left(qualified.indexOf(QLatin1Char('.')));
    store::Statement size(db, QStringLiteral("PRAGMA %1.cache_size").arg(m_schema));
    if (size.step())
        m_former = size.column(0);
    db.exec(QStringLiteral("PRAGMA %1.cache_size=-%2").arg(m_schema).arg(Kilobytes));
}

BulkCache::~BulkCache()
{
    if (!m_former.isValid())
        return;
    try {
        m_db.exec(QStringLiteral("PRAGMA %1.cache_size=%2").arg(m_schema).arg(m_former.toLongLong()));
    } catch (...) {
        // Only memory stays in use; the rows are unaffected.
    }
}

}  // namespace import
