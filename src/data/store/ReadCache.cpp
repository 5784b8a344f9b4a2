#include "ReadCache.h"

#include <QDir>
#include <QFileInfo>

namespace store {

ReadCache::ReadCache(Database& db, const QStringList& tables) : m_db(db)
{
    for (const QString& table : tables) {
        const QString schema = db.qualifiedFile(table);
        bool seen = false;
        for (const auto& kept : std::as_const(m_former))
            seen = seen || kept.first == schema;
        if (seen)
            continue;
        Statement size(db, QStringLiteral("PRAGMA %1.cache_size").arg(schema));
        const QVariant former = size.step() ? size.column(0) : QVariant();
        Statement page(db, QStringLiteral("PRAGMA %1.page_size").arg(schema));
        const qint64 pageSize = page.step() ? page.column(0).toLongLong() : 4096;
        // A negative size counts kibibytes, a positive one pages.
        const qint64 formerBytes =
            former.toLongLong() < 0 ? -former.toLongLong() * 1024 : former.toLongLong() * pageSize;
        const qint64 wanted =
            qMin(Limit, QFileInfo(QDir(db.folder()).filePath(db.tableDef(table).fileName)).size() + pageSize);
        if (!former.isValid() || wanted <= formerBytes)
            continue;
        db.exec(QStringLiteral("PRAGMA %1.cache_size=-%2").arg(schema).arg(wanted / 1024));
        m_former.append({schema, former});
    }
}

ReadCache::~ReadCache()
{
    for (const auto& [schema, former] : std::as_const(m_former)) {
        try {
            m_db.exec(QStringLiteral("PRAGMA %1.cache_size=%2").arg(schema).arg(former.toLongLong()));
        } catch (...) {
            // Only memory stays in use; the rows are unaffected.
        }
    }
}

}  // namespace store
