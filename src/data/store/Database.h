#pragma once

#include "StoreError.h"
#include "TableDef.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

class FolderLock;

// A master row that detail rows refer to; deleting such a master is refused with 9734.
struct ReferenceDef {
    QString masterTable, masterKey;
    QString detailTable, detailKey;
};

// A file written under a pending name beside its final one, whose renaming completes a change
// already committed: the declaration of a filed period. No target: the change never committed.
struct PendingFile {
    QString temporary, target;
};

// One prepared statement; values are bound and read as QVariant (null, qint64, double, QString).
class Statement {
public:
    Statement(class Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int position, const QVariant& value);  // 1-based
    // Text already in UTF-8, bound without a copy: the buffer must stay as it is until the
    // statement is reset. For loops over many rows, where the copy shows.
    void bindUtf8(int position, const QByteArray& utf8);
    bool step();  // true while a row is there
    void reset();
    int columnCount() const;
    QString columnName(int column) const;
    QVariant column(int column) const;
    int parameterCount() const;
    QString parameterName(int position) const;  // 1-based; as written, with its ':'

    // A value as SQLite holds it, without a QString per value: for writers that go through
    // many rows. The text stays valid until the next step or reset.
    enum class Storage { Null, Integer, Real, Text, Blob };
    Storage storage(int column) const;
    QByteArrayView utf8(int column) const;
    double real(int column) const;  // integers and reals; 0 otherwise
    qint64 integer(int column) const;

private:
    Database& m_db;
    QString m_sql;
    sqlite3_stmt* m_stmt = nullptr;
};

// One connection over the table files of a folder: the first healthy file is `main`, the others
// are attached under their table names, all in rollback-journal mode so a commit over several
// files is atomic. Files that fail to open are left out and their error is kept for the views.
class Database : public QObject {
    Q_OBJECT
public:
    Database(const QString& folder, const QList<TableDef>& tables, const QList<ReferenceDef>& references);
    ~Database() override;

    static const int ApplicationId = 0x54727631;  // our mark in every table file
    static const int SchemaVersion = 1;

    // A folder that holds none of the table files is a first start: the files are created empty,
    // with the folders ddjj and back beside them, and put in place all together or not at all.
    // A folder a first start left half made (some files missing, none holding a row) is made
    // whole the same way; the answer then says so, for the clerk. Empty otherwise. The caller
    // holds the folder's lock.
    static QString createMissingFolder(const QString& folder, const QList<TableDef>& tables);
    static bool holdsAnyTable(const QString& folder, const QList<TableDef>& tables);
    // Creates one empty table file; fails if the file is there already.
    static void createTableFile(const QString& path, const TableDef& def);
    // Checks a table file on its own connection; throws StoreError naming what is wrong. The
    // layout check reads the header and the schema; the full one every page as well.
    enum class FileCheck { Layout, Full };
    static void checkTableFile(const QString& path, const TableDef& def, FileCheck depth = FileCheck::Full);

    const QString& folder() const { return m_folder; }
    sqlite3* handle() const { return m_db; }
    const TableDef& tableDef(const QString& table) const;  // throws for an unknown table
    bool hasTable(const QString& table) const;
    void requireTable(const QString& table) const;  // throws the error the file gave at open
    QString qualifiedTable(const QString& table) const;
    QString qualifiedFile(const QString& table) const;  // the quoted name its file is attached under

    void exec(const QString& sql);
    int changes() const;  // rows the last statement inserted, changed or deleted
    qint64 lastInsertRowid() const;
    QString keyViolationText(const QString& detail) const;
    [[noreturn]] void raise(int rc, const QString& context = {}) const;

    // Savepoint-based transactions that nest; changes are announced when the outermost ends.
    void begin();
    void commit();
    void rollback();
    int transactionDepth() const { return m_depth; }

    // Changes are announced now, or when the outermost transaction ends: a table whose rows
    // changed by a statement as a whole, a table of which one row changed by that row alone.
    void noteChanged(const QString& table);
    void noteRowChanged(const QString& table, qint64 rowid);

    // Files whose renaming completes a committed change. The pending name is recorded on its
    // own before the change begins (no transaction may be open), so a crash before the change
    // commits leaves a record that marks the file as junk; inside the change the record takes
    // its target, so it commits or vanishes with it; it is forgotten once the file is in place.
    void recordPendingIntent(const QString& temporary);
    void recordPendingFile(const PendingFile& file);
    // A change that did not commit: its pending file removed, then its record forgotten.
    void dropPendingFile(const QString& temporary);
    QList<PendingFile> pendingFiles();
    // Puts in place every file a crash left under its pending name after its change committed,
    // and syncs its folder; removes those whose change never committed. Throws for a file it
    // cannot place; its record stays for next time.
    void finishPendingFiles();
    // The same for one file: renamed over its target, the folder synced, the record forgotten.
    void finishPendingFile(const PendingFile& file);
    // Why a file a crash left under its pending name could not take its name when the tables
    // opened; empty when there was none. Told once.
    QString takePendingFilesError() { return std::exchange(m_pendingFilesError, {}); }
    // What the clerk is told once of this open: a half-made folder completed. Empty otherwise.
    QString takeStartNotice() { return std::exchange(m_startNotice, {}); }
    static const TableDef& pendingFilesTable();

signals:
    void tableChanged(const QString& table);
    void rowChanged(const QString& table, qint64 rowid);  // inserted, changed or deleted

private:
    friend class Statement;
    // Prepared statements kept between uses, by their text: the views and the runs prepare the
    // same few statements over and over. A statement in use is out of the cache.
    sqlite3_stmt* takePrepared(const QString& sql);
    void keepPrepared(const QString& sql, sqlite3_stmt* stmt);
    static const int PreparedCacheLimit = 64;
    QHash<QString, sqlite3_stmt*> m_prepared;

    void attachAll(const QList<ReferenceDef>& references);
    QString attach(const QString& path, const QString& schema);
    void attachPendingFiles();
    void forgetPendingFile(const PendingFile& file);
    void createReferenceTriggers(const QList<ReferenceDef>& references);
    void announce();

    QString m_folder;
    // Held from before any file is finished or made until the connection is gone.
    std::unique_ptr<FolderLock> m_lock;
    sqlite3* m_db = nullptr;
    QList<TableDef> m_tables;
    QHash<QString, QString> m_schemaOf;                // lower-case table -> schema
    QHash<QString, std::pair<int, QString>> m_failed;  // lower-case table -> why it was left out
    int m_depth = 0;
    QSet<QString> m_changed;                     // lower-case tables changed as a whole
    QHash<QString, QSet<qint64>> m_changedRows;  // lower-case table -> its rows changed one by one
    QString m_pendingFilesError;
    QString m_startNotice;
};

// Opened in the constructor, committed by commit(), rolled back by the destructor otherwise.
class Transaction {
public:
    explicit Transaction(Database& db) : m_db(db) { m_db.begin(); }
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& m_db;
    bool m_done = false;
};

}  // namespace store
