#include "TableSnapshot.h"

#include "Database.h"
#include "SqliteFile.h"
#include "StoreError.h"
#include "data/files/FileOps.h"

#include <sqlite3.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

namespace store {

namespace {

const int WaitMs = 30000;  // for a writer in the middle of its commit, however slow the disk

StoreError snapshotError(const QString& path, const QString& why)
{
    return StoreError(FileError, QStringLiteral("No se puede copiar la tabla %1: %2").arg(files::native(path), why));
}

// Shared locks on every attached file at once, so that no commit can land between the copies.
// A writer in the middle of its commit holds them off for a moment: let go and try again.
// Answers SQLITE_OK, or SQLITE_READONLY when a file has a journal a crash left.
int lockAll(sqlite3* db, const QStringList& schemas, const QString& folder)
{
    const QDeadlineTimer deadline(WaitMs);
    for (;;) {
        int rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (const QString& schema : schemas) {
            if (rc != SQLITE_OK)
                break;
            rc = sqlite3_exec(db,
                              QStringLiteral("SELECT count(*) FROM %1.sqlite_schema")
                                  .arg(quoteIdentifier(schema))
                                  .toUtf8()
                                  .constData(),
                              nullptr, nullptr, nullptr);
        }
        if (rc == SQLITE_OK)
            return rc;
        const QString why = sqlite::message(db);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        if ((rc & 0xff) == SQLITE_READONLY)
            return SQLITE_READONLY;
        if ((rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED)
            throw snapshotError(folder, why);
        if (deadline.hasExpired())
            throw snapshotError(folder, QStringLiteral("las tablas están ocupadas por otro programa."));
        QThread::msleep(10);
    }
}

// Read-only: the copy writes nothing to the tables, not even to play a journal back.
sqlite::Db attachAll(const QString& folder, const QList<TableDef>& tables, QStringList* schemas)
{
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
    sqlite::Db db(raw);
    if (rc != SQLITE_OK)
        throw snapshotError(folder, sqlite::message(raw));
    sqlite::harden(raw);
    // Each attach reads a file on its own, holding nothing else: it may wait as long as lockAll.
    sqlite3_busy_timeout(raw, WaitMs);
    for (int i = 0; i < tables.size(); ++i) {
        const QString path = QDir(folder).filePath(tables[i].fileName);
        const QString schema = QStringLiteral("t%1").arg(i);
        const QByteArray uri = sqlite::fileUri(path, QStringLiteral("mode=ro"));
        sqlite::Stmt attach = sqlite::prepare(raw, QStringLiteral("ATTACH DATABASE ? AS ?"), &rc);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(attach.get(), 1, uri.constData(), -1, SQLITE_TRANSIENT);
            const QByteArray name = schema.toUtf8();
            sqlite3_bind_text(attach.get(), 2, name.constData(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(attach.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(raw);
        }
        if (rc != SQLITE_OK)
            throw snapshotError(path, sqlite::message(raw));
        *schemas << schema;
    }
    // From here the waits are lockAll's: SQLite's own would keep a lock while waiting for another.
    sqlite3_busy_timeout(raw, 0);
    return db;
}

}  // namespace

void snapshotTables(const QString& folder, const QList<TableDef>& tables, const QString& destinationFolder)
{
    QStringList schemas;
    sqlite::Db db = attachAll(folder, tables, &schemas);
    if (lockAll(db.get(), schemas, folder) != SQLITE_OK) {
        // A journal a crash left: the store's own check plays it back once the file is known
        // to be ours, as the open of the tables would.
        db.reset();
        for (const TableDef& def : tables)
            Database::checkTableFile(QDir(folder).filePath(def.fileName), def);
        schemas.clear();
        db = attachAll(folder, tables, &schemas);
        if (lockAll(db.get(), schemas, folder) != SQLITE_OK)
            throw snapshotError(folder, sqlite::message(db.get()));
    }
    sqlite3* raw = db.get();
    int rc;
    for (int i = 0; i < tables.size(); ++i) {
        const QString source = QDir(folder).filePath(tables[i].fileName);
        const QString target = QDir(destinationFolder).filePath(tables[i].fileName);
        sqlite3* copy = nullptr;
        rc = sqlite3_open_v2(target.toUtf8().constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite::Db copyDb(copy);
        if (rc != SQLITE_OK)
            throw snapshotError(source, sqlite::message(copy));
        // The copy is a new file that is read once and then let go: a crash leaves nothing of it
        // worth keeping, so it is neither journalled nor synced.
        sqlite3_exec(copy, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
        sqlite3_backup* backup = sqlite3_backup_init(copy, "main", raw, schemas[i].toUtf8().constData());
        if (!backup)
            throw snapshotError(source, sqlite::message(copy));
        const int stepped = sqlite3_backup_step(backup, -1);
        rc = sqlite3_backup_finish(backup);
        if (stepped != SQLITE_DONE || rc != SQLITE_OK)
            throw snapshotError(source, sqlite::message(copy));
    }
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
}

bool tableFileIntact(const QString& path)
{
    int rc;
    sqlite::Db db = sqlite::openFile(path, QStringLiteral("mode=ro"), &rc);
    QList<QStringList> rows;
    return rc == SQLITE_OK && sqlite::queryRows(db.get(), QStringLiteral("PRAGMA integrity_check"), &rows) &&
           rows.size() == 1 && rows[0].value(0) == QLatin1String("ok");
}

QList<QStringList> queryTableFile(const QString& path, const QString& sql)
{
    int rc;
    sqlite::Db db = sqlite::openFile(path, QStringLiteral("mode=ro"), &rc);
    QList<QStringList> rows;
    if (rc != SQLITE_OK || !sqlite::queryRows(db.get(), sql, &rows))
        throw StoreError(
            TableDamaged,
            QStringLiteral("No se puede leer la tabla %1: %2").arg(files::native(path), sqlite::message(db.get())));
    return rows;
}

}  // namespace store
