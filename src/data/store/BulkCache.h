#pragma once

#include "Database.h"

#include <QString>
#include <QVariant>

namespace store {

// A larger page cache for one table file while a run writes many rows to it: with the default
// cache, rows arriving in random key order keep sending index pages to disk and back. The
// former size comes back when the run ends.
class BulkCache {
public:
    static const int Kilobytes = 48 * 1024;

    BulkCache(Database& db, const QString& table);
    ~BulkCache() { release(); }
    // The former size back now: before the commit tells the views, so they read with the memory
    // given back.
    void release();
    BulkCache(const BulkCache&) = delete;
    BulkCache& operator=(const BulkCache&) = delete;

private:
    Database& m_db;
    QString m_schema;
    QVariant m_former;
};

}  // namespace store
