#include "Database.h"

#include "SqliteFile.h"
#include "data/files/CheckedFiles.h"
#include "data/files/FileOps.h"
#include "data/files/FolderLock.h"
#include "data/files/StagedFiles.h"

#include <sqlite3.h>
#include <QDir>
#include <QFileInfo>

namespace store {

namespace {

QString lower(const QString& s) { return s.toLower(); }

}  // namespace

// ---------------------------------------------------------------- Database: connection

Database::Database(const QString& folder, const QList<TableDef>& tables, const QList<ReferenceDef>& references)
    : m_folder(folder), m_tables(tables)
{
    // Nothing of the folder is finished, made or read while another program works on it.
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw StoreError(FileError,
                         QStringLiteral("No se puede crear la carpeta de datos %1").arg(files::native(folder)));
    m_lock = std::make_unique<FolderLock>(folder);
    // A restore a crash interrupted is finished from its waiting files before any table is read.
    staged::finish(folder);
    m_startNotice = createMissingFolder(folder, tables);
    attachAll(references);
    // A filing that a crash stopped after its commit gets its file in place before anything
    // else reads the tables. One that cannot be placed now is tried again at the next open.
    try {
        finishPendingFiles();
    } catch (const StoreError& e) {
        m_pendingFilesError = e.text();
    }
}

Database::~Database()
{
    for (sqlite3_stmt* stmt : std::as_const(m_prepared))
        sqlite3_finalize(stmt);
    sqlite3_close_v2(m_db);
}

sqlite3_stmt* Database::takePrepared(const QString& sql)
{
    if (sqlite3_stmt* kept = m_prepared.take(sql))
        return kept;
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK)
        raise(rc);
    return stmt;
}

void Database::keepPrepared(const QString& sql, sqlite3_stmt* stmt)
{
    if (!stmt)
        return;
    // Reset and unbound, it holds no lock and no value of its last use.
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (m_prepared.size() >= PreparedCacheLimit || m_prepared.contains(sql)) {
        sqlite3_finalize(stmt);
        return;
    }
    m_prepared.insert(sql, stmt);
}

void Database::attachAll(const QList<ReferenceDef>& references)
{
    const QDir dir(m_folder);
    // Every file gets the header and layout checks; the full check, which reads every page,
    // only a file that changed since a full check last found it sound.
    CheckedFiles checked(m_folder);
    for (const TableDef& def : m_tables) {
        const QString path = dir.filePath(def.fileName);
        try {
            const bool unchanged = checked.unchanged(path);
            checkTableFile(path, def, unchanged ? FileCheck::Layout : FileCheck::Full);
            if (!unchanged)
                checked.sound(path);
        } catch (const StoreError& e) {
            m_failed.insert(lower(def.tableName), {e.code(), e.text()});
            continue;
        }
        const QString schema = m_db ? lower(def.tableName) : QStringLiteral("main");
        const QString error = attach(path, schema);
        if (error.isEmpty())
            m_schemaOf.insert(lower(def.tableName), schema);
        else
            m_failed.insert(
                lower(def.tableName),
                {TableDamaged, QStringLiteral("No se puede abrir la tabla %1: %2").arg(files::native(path), error)});
    }
    checked.save();
    if (m_db) {
        attachPendingFiles();
        createReferenceTriggers(references);
    }
}

// Opens the file as `main` or attaches it under `schema`; answers what went wrong on failure.
QString Database::attach(const QString& path, const QString& schema)
{
    // A file that must exist: opening never creates a table file behind our back.
    const QByteArray uri = sqlite::fileUri(path, QStringLiteral("mode=rw"));
    int rc;
    if (schema == QLatin1String("main")) {
        // One thread uses a connection; SQLite's locking of every call would only cost time.
        rc = sqlite3_open_v2(uri.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                             nullptr);
        if (rc == SQLITE_OK)
            sqlite::harden(m_db);
    } else {
        sqlite3_stmt* stmt = nullptr;
        rc = sqlite3_prepare_v2(m_db, "ATTACH DATABASE ? AS ?", -1, &stmt, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(stmt, 1, uri.constData(), -1, SQLITE_TRANSIENT);
            const QByteArray name = schema.toUtf8();
            sqlite3_bind_text(stmt, 2, name.constData(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(stmt) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(m_db);
        }
        sqlite3_finalize(stmt);
    }
    // Rollback journals on every file: a commit over several files is then atomic.
    QList<QStringList> mode;
    const QString q = quoteIdentifier(schema);
    if (rc == SQLITE_OK && sqlite::queryRows(m_db, QStringLiteral("PRAGMA %1.journal_mode=DELETE").arg(q), &mode) &&
        mode.value(0).value(0).compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0 &&
        sqlite3_exec(m_db, QStringLiteral("PRAGMA %1.synchronous=FULL").arg(q).toUtf8().constData(), nullptr, nullptr,
                     nullptr) == SQLITE_OK)
        return {};
    const QString message = sqlite::message(m_db);
    if (schema == QLatin1String("main")) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    } else {
        sqlite3_exec(m_db, QStringLiteral("DETACH DATABASE %1").arg(q).toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    return message.isEmpty() ? QStringLiteral("no se puede abrir") : message;
}

void Database::createReferenceTriggers(const QList<ReferenceDef>& references)
{
    // Foreign keys cannot reach another attached file; a TEMP trigger can. A detail table that
    // could not be opened cannot be checked, so its master refuses every delete meanwhile.
    QHash<QString, QStringList> conditions;
    QHash<QString, QString> masters;
    for (const ReferenceDef& ref : references) {
        if (!hasTable(ref.masterTable))
            continue;
        const QString master = lower(ref.masterTable);
        masters.insert(master, ref.masterTable);
        conditions[master] << (hasTable(ref.detailTable)
                                   ? QStringLiteral("EXISTS (SELECT 1 FROM %1 WHERE %2 = OLD.%3)")
                                         .arg(qualifiedTable(ref.detailTable), quoteIdentifier(ref.detailKey),
                                              quoteIdentifier(ref.masterKey))
                                   : QStringLiteral("1"));
    }
    for (auto it = conditions.cbegin(); it != conditions.cend(); ++it) {
        exec(QStringLiteral("CREATE TEMP TRIGGER %1 BEFORE DELETE ON %2 WHEN %3 "
                            "BEGIN SELECT RAISE(ABORT, 'registro con detalles'); END")
                 .arg(quoteIdentifier(QStringLiteral("no_borrar_") + it.key()), qualifiedTable(masters.value(it.key())),
                      it.value().join(QStringLiteral(" OR "))));
    }
}

const TableDef& Database::tableDef(const QString& table) const
{
    for (const TableDef& def : m_tables)
        if (def.tableName.compare(table, Qt::CaseInsensitive) == 0)
            return def;
    throw StoreError(TableNotFound, QStringLiteral("La tabla %1 no existe.").arg(table));
}

bool Database::hasTable(const QString& table) const { return m_schemaOf.contains(lower(table)); }

void Database::requireTable(const QString& table) const
{
    if (hasTable(table))
        return;
    const auto failed = m_failed.constFind(lower(table));
    if (failed != m_failed.constEnd())
        throw StoreError(failed->first, failed->second);
    throw StoreError(TableNotFound, QStringLiteral("La tabla %1 no existe.").arg(table));
}

QString Database::qualifiedTable(const QString& table) const
{
    return qualifiedFile(table) + QLatin1Char('.') + quoteIdentifier(tableDef(table).tableName);
}

QString Database::qualifiedFile(const QString& table) const
{
    requireTable(table);
    return quoteIdentifier(m_schemaOf.value(lower(table)));
}

void Database::exec(const QString& sql)
{
    if (!m_db)
        throw StoreError(NotOpen, QStringLiteral("La base de datos no está abierta."));
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        raise(rc);
}

QString Database::keyViolationText(const QString& detail) const
{
    // SQLite names the key's fields as "table.field, table.field"; the clerk reads their labels.
    const qsizetype colon = detail.indexOf(QLatin1String(": "));
    QStringList labels;
    if (colon >= 0) {
        for (const QString& column : detail.mid(colon + 2).split(QStringLiteral(", "))) {
            const QStringList parts = column.trimmed().split(QLatin1Char('.'));
            const QString table = parts.size() == 2 ? parts[0] : QString();
            const TableDef* def = nullptr;
            for (const TableDef& t : m_tables)
                if (t.tableName.compare(table, Qt::CaseInsensitive) == 0)
                    def = &t;
            const FieldDef* field = def ? def->field(parts.value(1)) : nullptr;
            if (!field)
                return QStringLiteral("Ya existe un registro con esos mismos datos.");
            labels << field->shownName();
        }
    }
    if (labels.isEmpty())
        return QStringLiteral("Ya existe un registro con esos mismos datos.");
    const QString last = labels.takeLast();
    const QString fields = labels.isEmpty() ? last : labels.join(QStringLiteral(", ")) + QStringLiteral(" y ") + last;
    return QStringLiteral("Ya existe un registro con el mismo valor de %1.").arg(fields);
}

void Database::raise(int rc, const QString& context) const
{
    // The clerk reads what went wrong in Spanish; SQLite's English stays out of the text.
    const QString message = sqlite::errorText(rc, m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString());
    const QString suffix = context.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(context);
    switch (rc) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        throw StoreError(KeyViolation,
                         keyViolationText(m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString()) + suffix);
    case SQLITE_CONSTRAINT_TRIGGER:
        throw StoreError(MasterHasDetails,
                         QStringLiteral("El registro maestro tiene registros de detalle asociados.") + suffix);
    default:
        break;
    }
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        throw StoreError(TableDamaged, QStringLiteral("Una tabla está dañada. Ejecute Herramientas / Reparar Base."));
    case SQLITE_FULL:
        throw StoreError(FileError, QStringLiteral("No hay espacio en el disco para guardar los datos."));
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_PERM:
        throw StoreError(FileError, QStringLiteral("No se pudieron leer o guardar los datos: %1.").arg(message));
    default:
        throw StoreError(SqlError, QStringLiteral("No se pudo completar la operación: %1.").arg(message) + suffix);
    }
}

// ---------------------------------------------------------------- Database: transactions

int Database::changes() const { return sqlite3_changes(m_db); }

qint64 Database::lastInsertRowid() const { return sqlite3_last_insert_rowid(m_db); }

void Database::begin()
{
    exec(QStringLiteral("SAVEPOINT tarvenio_%1").arg(m_depth + 1));
    ++m_depth;
}

void Database::commit()
{
    if (m_depth == 0 || sqlite3_get_autocommit(m_db))
        throw StoreError(SqlError,
                         QStringLiteral("Los cambios ya se deshicieron por un error anterior; no se guardó nada."));
    exec(QStringLiteral("RELEASE tarvenio_%1").arg(m_depth));
    --m_depth;
    announce();
}

void Database::rollback()
{
    if (m_depth == 0)
        return;
    // On a full disk or an I/O error SQLite rolls the whole transaction back by itself: then no
    // level is left to undo, and the outer ones must not believe they still hold their changes.
    const QByteArray name = QStringLiteral("tarvenio_%1").arg(m_depth).toUtf8();
    const bool undone =
        !sqlite3_get_autocommit(m_db) &&
        sqlite3_exec(m_db, ("ROLLBACK TO " + name).constData(), nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_exec(m_db, ("RELEASE " + name).constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    m_depth = undone ? m_depth - 1 : 0;
    if (!undone && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    announce();
}

void Database::noteChanged(const QString& table)
{
    m_changed.insert(lower(table));
    m_changedRows.remove(lower(table));
    announce();
}

void Database::noteRowChanged(const QString& table, qint64 rowid)
{
    const QString name = lower(table);
    if (!m_changed.contains(name))
        m_changedRows[name].insert(rowid);
    announce();
}

void Database::announce()
{
    if (m_depth > 0 || (m_changed.isEmpty() && m_changedRows.isEmpty()))
        return;
    QSet<QString> changed = std::exchange(m_changed, {});
    const QHash<QString, QSet<qint64>> changedRows = std::exchange(m_changedRows, {});
    // One row moves alone in the views; several changed together are read again as a whole,
    // since a view could not place one while another it holds is gone.
    QList<std::pair<QString, qint64>> rows;
    for (auto it = changedRows.cbegin(); it != changedRows.cend(); ++it) {
        if (it->size() == 1)
            rows.append({it.key(), *it->cbegin()});
        else
            changed.insert(it.key());
    }
    for (const QString& table : std::as_const(changed))
        emit tableChanged(table);
    for (const auto& [table, rowid] : std::as_const(rows))
        emit rowChanged(table, rowid);
}

Transaction::~Transaction()
{
    if (!m_done)
        m_db.rollback();
}

void Transaction::commit()
{
    m_db.commit();
    m_done = true;
}

}  // namespace store
