#include "Database.h"

#include "PageImage.h"
#include "SqliteFile.h"
#include "TableEncoding.h"
#include "data/files/FileOps.h"
#include "data/files/StagedFiles.h"

#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// The table files on their own, before any connection: made empty from the dictionary, made
// for a first start, and checked to be the program's own and whole.
namespace store {

namespace {

StoreError damaged(const QString& path)
{
    return StoreError(
        TableDamaged,
        QStringLiteral("La tabla %1 está dañada. Ejecute Herramientas / Reparar Base.").arg(files::native(path)));
}

StoreError foreign(const QString& path)
{
    return StoreError(ForeignFile, QStringLiteral("El archivo %1 no es una tabla de este programa o está dañado. "
                                                  "Ejecute Herramientas / Reparar Base.")
                                       .arg(files::native(path)));
}

// The file must be made of exactly the statements that make the dictionary's table: its fields
// and types, key, indexes, and nothing else (no CHECK or DEFAULT of another program, no trigger
// that would act on our rows, no missing unique index that would let duplicate keys in).
bool sameSchema(sqlite3* db, const TableDef& def)
{
    QList<QStringList> found;
    if (!sqlite::queryRows(db, QStringLiteral("SELECT type, name, tbl_name, ifnull(sql, '') FROM sqlite_schema"),
                           &found))
        return false;
    QStringList expected{
        QStringList{QStringLiteral("table"), def.tableName, def.tableName, def.createSql({})}.join('\n')};
    const QStringList indexSql = def.indexSql({});
    for (int i = 0; i < def.indexes.size(); ++i)
        expected << QStringList{QStringLiteral("index"), def.indexes[i].name, def.tableName, indexSql[i]}.join('\n');
    for (const FieldDef& field : def.fields)
        if (field.type == FieldType::AutoInc)
            expected << QStringList{QStringLiteral("table"), QStringLiteral("sqlite_sequence"),
                                    QStringLiteral("sqlite_sequence"),
                                    QStringLiteral("CREATE TABLE sqlite_sequence(name,seq)")}
                            .join('\n');
    QStringList actual;
    for (const QStringList& row : found)
        actual << row.join('\n');
    expected.sort();
    actual.sort();
    return actual == expected;
}

// The layout, read from the header and the schema without going through the rows: a file
// shorter than its pages (the last page cut, whatever it held), a list of free pages or a
// table or index that starts past the end, a first page of the table that cannot be read.
bool soundLayout(sqlite3* db, qint64 fileSize, const TableDef& def)
{
    QList<QStringList> size, count, free, roots, first;
    if (!sqlite::queryRows(db, QStringLiteral("PRAGMA page_size"), &size) ||
        !sqlite::queryRows(db, QStringLiteral("PRAGMA page_count"), &count) ||
        !sqlite::queryRows(db, QStringLiteral("PRAGMA freelist_count"), &free) ||
        !sqlite::queryRows(db, QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE rootpage > 0"), &roots) ||
        !sqlite::queryRows(db, QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(quoteIdentifier(def.tableName)), &first))
        return false;
    const qint64 pageSize = size.value(0).value(0).toLongLong();
    const qint64 pages = count.value(0).value(0).toLongLong();
    if (pageSize <= 0 || fileSize % pageSize != 0 || fileSize < pageSize * pages ||
        free.value(0).value(0).toLongLong() >= pages)
        return false;
    for (const QStringList& root : std::as_const(roots))
        if (root.value(0).toLongLong() > pages)
            return false;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- Database: files

void Database::createTableFile(const QString& path, const TableDef& def)
{
    if (QFileInfo::exists(path))
        throw StoreError(FileError, QStringLiteral("El archivo %1 ya existe.").arg(files::native(path)));
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    QStringList statements{QStringLiteral("PRAGMA journal_mode=DELETE"),
                           QStringLiteral("PRAGMA application_id=%1").arg(ApplicationId),
                           QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion), QStringLiteral("BEGIN"),
                           def.createSql(QStringLiteral("main"))};
    statements << def.indexSql(QStringLiteral("main")) << QStringLiteral("COMMIT");
    for (const QString& sql : statements) {
        if (rc != SQLITE_OK)
            break;
        rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    const QString message = sqlite::message(db);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        QFile::remove(path);
        throw StoreError(FileError,
                         QStringLiteral("No se puede crear la tabla %1: %2").arg(files::native(path), message));
    }
}

bool Database::holdsAnyTable(const QString& folder, const QList<TableDef>& tables)
{
    const QDir dir(folder);
    for (const TableDef& def : tables)
        if (QFileInfo::exists(dir.filePath(def.fileName)))
            return true;
    return false;
}

namespace {

// Whether a table file holds no row at all, read from its pages as a journal left beside it
// would leave them: an empty file, one a first start stopped before its table was made, or an
// empty table. A file that cannot be read through is taken as holding rows.
bool holdsNoRows(const QString& path)
{
    QFile file(path), journal(path + QStringLiteral("-journal"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() == 0)
        return true;
    // No table file of ours is large when empty; a large one is read no further.
    if (file.size() > 1024 * 1024)
        return false;
    const QByteArray journalBytes =
        journal.exists() && journal.size() <= 1024 * 1024 && journal.open(QIODevice::ReadOnly) ? journal.readAll()
                                                                                               : QByteArray();
    const pages::PageImage image(file.readAll(), journalBytes);
    const std::optional<QList<pages::SchemaEntry>> schema = image.schema();
    if (!schema)
        return false;
    for (const pages::SchemaEntry& entry : *schema) {
        if (entry.type != QLatin1String("table") || entry.name.startsWith(QLatin1String("sqlite_")))
            continue;
        bool anyRow = false;
        QSet<int> visited;
        if (!image.walkTable(entry.rootPage, 0, &visited, [&](const pages::TableCell&) { anyRow = true; }) || anyRow)
            return false;
    }
    return true;
}

}  // namespace

QString Database::createMissingFolder(const QString& folder, const QList<TableDef>& tables)
{
    const QDir dir(folder);
    QStringList missing;
    for (const TableDef& def : tables)
        if (!QFileInfo::exists(dir.filePath(def.fileName)))
            missing << def.fileName;
    if (missing.isEmpty())
        return {};
    const bool firstStart = missing.size() == tables.size();
    // Files that hold rows are the clerk's data: one missing beside them is for the repair or a
    // restore, never made afresh here.
    if (!firstStart)
        for (const TableDef& def : tables)
            if (!missing.contains(def.fileName) && !holdsNoRows(dir.filePath(def.fileName)))
                return {};
    if (!QDir().mkpath(folder))
        throw StoreError(FileError,
                         QStringLiteral("No se puede crear la carpeta de datos %1").arg(files::native(folder)));
    for (const QString& name : {QStringLiteral("ddjj"), QStringLiteral("back")})
        files::makeFolder(dir.filePath(name));
    // The six files are made aside and put in place together: a first start stopped halfway
    // leaves either no table, and starts again, or all of them.
    staged::discard(folder);
    const QString waiting = staged::folderFor(folder);
    files::makeFolder(waiting);
    for (const TableDef& def : tables)
        createTableFile(QDir(waiting).filePath(def.fileName), def);
    staged::placeAll(folder);
    if (firstStart)
        return {};
    return QStringLiteral(
               "La carpeta de las tablas %1 había quedado a medio crear (%2 %3). Se completó con las "
               "tablas vacías; no se perdió ningún dato, porque las tablas que había estaban vacías.")
        .arg(files::native(folder), missing.size() == 1 ? QStringLiteral("faltaba") : QStringLiteral("faltaban"),
             missing.join(QStringLiteral(", ")));
}

void Database::checkTableFile(const QString& path, const TableDef& def, FileCheck depth)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw StoreError(TableNotFound, QStringLiteral("No se encuentra la tabla %1.").arg(files::native(path)));
    if (!info.isFile() || !info.isReadable())
        throw StoreError(FileError, QStringLiteral("No se puede leer la tabla %1.").arg(files::native(path)));
    // Texts kept in another encoding pass every other check and then cannot be read.
    checkTableEncoding(path);

    // Read-only first: nothing, not even a journal left beside it, is written to a file before it
    // is known to be ours. A journal a crash left makes a read-only open refuse to read; then the
    // marks and the schema are read as the file stands, and only a file of ours is opened for
    // writing, which rolls the journal back as any open would.
    const auto open = [&](const char* query) {
        int rc;
        sqlite::Db db = sqlite::openFile(path, QLatin1String(query), &rc);
        if (rc != SQLITE_OK)
            throw foreign(path);
        return db.release();
    };
    const auto ours = [&](sqlite3* db) {
        QList<QStringList> appId, version;
        return sqlite::queryRows(db, QStringLiteral("PRAGMA application_id"), &appId) &&
               sqlite::queryRows(db, QStringLiteral("PRAGMA user_version"), &version) &&
               appId.value(0).value(0).toInt() == ApplicationId && version.value(0).value(0).toInt() == SchemaVersion &&
               sameSchema(db, def);
    };
    sqlite3* db = open("mode=ro");
    bool accepted = ours(db);
    if (!accepted && sqlite3_extended_errcode(db) == SQLITE_READONLY_ROLLBACK) {
        sqlite3_close(db);
        // The file as the journal will leave it, in memory: mid-commit it may not read at all.
        QFile file(path), journal(path + QStringLiteral("-journal"));
        if (!file.open(QIODevice::ReadOnly) || !journal.open(QIODevice::ReadOnly))
            throw StoreError(FileError, QStringLiteral("No se puede leer la tabla %1.").arg(files::native(path)));
        QByteArray image = pages::PageImage(file.readAll(), journal.readAll()).bytes();
        db = nullptr;
        sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite::harden(db);
        accepted = sqlite3_deserialize(db, "main", reinterpret_cast<unsigned char*>(image.data()), image.size(),
                                       image.size(), SQLITE_DESERIALIZE_READONLY) == SQLITE_OK &&
                   ours(db);
        sqlite3_close(db);
        if (!accepted)
            throw foreign(path);
        db = open("mode=rw");
        accepted = ours(db);  // the journal is played back here
    }
    if (!accepted) {
        sqlite3_close(db);
        throw foreign(path);
    }
    QList<QStringList> check;
    const bool checked =
        soundLayout(db, QFileInfo(path).size(), def) &&
        (depth == FileCheck::Layout || sqlite::queryRows(db, QStringLiteral("PRAGMA quick_check"), &check));
    sqlite3_close(db);
    const bool sound =
        depth == FileCheck::Layout ? check.isEmpty() : check.size() == 1 && check[0].value(0) == QLatin1String("ok");
    if (!checked || !sound)
        throw damaged(path);
}

}  // namespace store
