#pragma once

#include "Database.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace store {

// A page cache that holds the table files a long read goes through, for as long as it lasts:
// a read that looks rows up in another file at random (the client of every printed-forms row)
// otherwise reads the same pages again and again through a cache sized for editing rows. Each
// file gets its size, up to Limit; the former size comes back after.
class ReadCache {
public:
    static constexpr qint64 Limit = qint64(512) << 20;

    ReadCache(Database& db, const QStringList& tables);
    ~ReadCache();
    ReadCache(const ReadCache&) = delete;
    ReadCache& operator=(const ReadCache&) = delete;

private:
    Database& m_db;
    QList<std::pair<QString, QVariant>> m_former;  // schema -> its cache size before
};

}  // namespace store
