#include "TableUtil.h"

#include "Database.h"
#include "PageImage.h"
#include "Salvage.h"
#include "StoreError.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QStringDecoder>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace store {

namespace {

// ---------------------------------------------------------------- sessions and failures

struct Failure {
    int code;
    QString text;
};

struct UtilSession {
    QList<TableDef> tables;
    ProgressCallback progress;
    QString lastError;
    RebuildReport lastRebuild;
};

std::map<TUSession, UtilSession>& sessions()
{
    static std::map<TUSession, UtilSession> table;
    return table;
}

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// Runs the body of a call: a Failure or StoreError becomes the call's answer and the session's text.
template <typename Body>
int call(TUSession session, Body&& body)
{
    const auto it = sessions().find(session);
    if (it == sessions().end())
        return TUInvalidSession;
    UtilSession& s = it->second;
    try {
        s.lastError.clear();
        return body(s);
    } catch (const Failure& f) {
        s.lastError = f.text;
        return f.code;
    } catch (const StoreError& e) {
        s.lastError = e.text();
        return e.code();
    }
}

// A report after the work is done cannot stop it any more; its answer is not asked for.
void report(UtilSession& s, int percent, const QString& message, bool mayStop = true)
{
    if (!s.progress)
        return;
    ProgressReport r;
    r.percentDone = qint16(qBound(0, percent, 100));
    const QByteArray text = message.toUtf8();
    qsizetype n = std::min<qsizetype>(text.size(), qsizetype(sizeof r.message) - 1);
    while (n > 0 && n < text.size() && (uchar(text[n]) & 0xC0) == 0x80)  // not inside a character
        --n;
    std::memcpy(r.message, text.constData(), size_t(n));
    r.message[n] = '\0';
    const ProgressCallback callback = s.progress;
    if (callback(TUCallbackGeneralProgress, r) != 0 && mayStop)
        throw Failure{TUCancelled, QStringLiteral("Se detuvo la operación a pedido del usuario.")};
}

// ---------------------------------------------------------------- SQLite helpers

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

struct FinalizeStmt {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, FinalizeStmt>;

QString message(sqlite3* db) { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString(); }

// Opens a file by URI so that a name is never taken for anything else; mode is ro, rw or rwc.
Db openFile(const QString& path, const char* mode, int* rc)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QStringLiteral("mode=") + QLatin1String(mode));
    sqlite3* raw = nullptr;
    const int flags = (qstrcmp(mode, "ro") == 0 ? SQLITE_OPEN_READONLY
                       : qstrcmp(mode, "rw") == 0 ? SQLITE_OPEN_READWRITE
                                                  : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                      SQLITE_OPEN_URI;
    *rc = sqlite3_open_v2(url.toEncoded().constData(), &raw, flags, nullptr);
    Db db(raw);
    if (*rc == SQLITE_OK) {
        // Damaged and foreign files are read here: nothing in them may run code or slip past checks.
        sqlite3_extended_result_codes(raw, 1);
        sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_exec(raw, "PRAGMA cell_size_check=ON", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(raw, 2000);
    }
    return db;
}

Stmt prepare(sqlite3* db, const QString& sql, int* rc)
{
    sqlite3_stmt* raw = nullptr;
    *rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &raw, nullptr);
    return Stmt(raw);
}

// Rows of a query on one of the files we examine, as text; false when the query fails.
bool queryRows(sqlite3* db, const QString& sql, QList<QStringList>* rows, const QVariantList& values = {},
               int* failure = nullptr)
{
    int rc;
    Stmt stmt = prepare(db, sql, &rc);
    if (failure)
        *failure = rc;
    if (rc != SQLITE_OK)
        return false;
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray text = values[i].toString().toUtf8();
        sqlite3_bind_text(stmt.get(), i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(stmt.get()); ++i)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), i)));
        rows->append(row);
    }
    if (failure)
        *failure = rc == SQLITE_DONE ? SQLITE_OK : rc;
    return rc == SQLITE_DONE;
}

// Runs a statement on a file we write; a failure stops the call with `what` and SQLite's text.
void exec(sqlite3* db, const QString& sql, const QString& what)
{
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw Failure{FileError, QStringLiteral("%1: %2").arg(what, message(db))};
}

void bindText(sqlite3_stmt* stmt, int position, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, position, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

bool isNumeric(FieldType type) { return type != FieldType::Text && type != FieldType::Date; }

// ---------------------------------------------------------------- files

std::filesystem::path fsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// After a rename the folder entry must reach the disk too, or a power cut could undo it.
void syncFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

bool syncFile(QFile& file)
{
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

void copyPermissions(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(from).constData(), &status) == 0)
        ::chmod(QFile::encodeName(to).constData(), status.st_mode & 07777);
#else
    QFile::setPermissions(to, QFileInfo(from).permissions());
#endif
}

void removeFile(const QString& path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw Failure{FileError, QStringLiteral("No se puede borrar el archivo %1.").arg(native(path))};
}

void copyFile(const QString& from, const QString& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw Failure{FileError, QStringLiteral("No se puede leer %1: %2").arg(native(from), in.errorString())};
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        throw Failure{FileError, QStringLiteral("No se puede escribir la copia %1: %2").arg(native(to), out.errorString())};
    for (;;) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty())
            break;
        if (out.write(chunk) != chunk.size())
            throw Failure{FileError,
                          QStringLiteral("No se puede escribir la copia %1: %2").arg(native(to), out.errorString())};
    }
    if (in.error() != QFileDevice::NoError)
        throw Failure{FileError, QStringLiteral("No se puede leer %1: %2").arg(native(from), in.errorString())};
    if (!out.commit())
        throw Failure{FileError, QStringLiteral("No se puede escribir la copia %1: %2").arg(native(to), out.errorString())};
}

// ---------------------------------------------------------------- tables named by a path

struct Target {
    const TableDef* def;
    QString folder;  // absolute
    QString file;    // the table file, absolute
};

Target resolve(const UtilSession& s, const QString& tablePath)
{
    const QFileInfo info(QDir::fromNativeSeparators(tablePath.trimmed()));
    const QString name = info.fileName();
    if (!name.isEmpty()) {
        for (const TableDef& def : s.tables) {
            if (QFileInfo(def.fileName).completeBaseName().compare(name, Qt::CaseInsensitive) == 0 ||
                def.fileName.compare(name, Qt::CaseInsensitive) == 0)
                return {&def, info.absolutePath(), QDir(info.absolutePath()).filePath(def.fileName)};
        }
    }
    throw Failure{TUUnknownTable, QStringLiteral("%1 no es una tabla del programa.").arg(native(tablePath))};
}

QString sidePath(const Target& t, const QString& name)
{
    const QString path = QDir::fromNativeSeparators(name);
    return QDir::isAbsolutePath(path) ? path : QDir(t.folder).filePath(path);
}

void checkDriver(const QString& driver)
{
    if (!driver.isEmpty() && driver.compare(TableDriver, Qt::CaseInsensitive) != 0)
        throw Failure{TUUnknownDriver, QStringLiteral("El controlador %1 no es el de las tablas del programa.").arg(driver)};
}

// ---------------------------------------------------------------- verification

struct Finding {
    int level;
    QString text;
};

struct Ticker {
    UtilSession* session;
    QString text;
    bool cancelled = false;
};

int tick(void* context)
{
    auto* ticker = static_cast<Ticker*>(context);
    try {
        report(*ticker->session, 0, ticker->text);
    } catch (const Failure&) {
        ticker->cancelled = true;
        return 1;
    }
    return 0;
}

QList<Finding> examine(UtilSession& s, const Target& t)
{
    const TableDef& def = *t.def;
    const QFileInfo info(t.file);
    if (!info.exists())
        return {{VerifyUnreadable, QStringLiteral("El archivo de la tabla no existe.")}};
    if (!info.isFile())
        return {{VerifyUnreadable, QStringLiteral("La tabla no es un archivo.")}};
    QFile file(t.file);
    if (!file.open(QIODevice::ReadOnly))
        return {{VerifyUnreadable, QStringLiteral("No se puede leer el archivo: %1").arg(file.errorString())}};
    const QByteArray head = file.read(100);
    file.close();
    if (head.isEmpty())
        return {{VerifyUnreadable, QStringLiteral("El archivo está vacío.")}};
    if (!head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return {{VerifyUnreadable, QStringLiteral("El archivo no es un archivo de tabla.")}};

    QList<Finding> found;
    if (QFileInfo::exists(t.file + QStringLiteral("-journal")))
        found << Finding{VerifyWarning, QStringLiteral("Quedó una transacción interrumpida; se deshace al abrir la tabla.")};
    int rc;
    const Db db = openFile(t.file, "ro", &rc);
    if (rc != SQLITE_OK)
        return found << Finding{VerifyUnreadable, QStringLiteral("No se puede abrir el archivo: %1").arg(message(db.get()))};

    QList<QStringList> appId, version, columns, indexes;
    if (!queryRows(db.get(), QStringLiteral("PRAGMA application_id"), &appId) ||
        !queryRows(db.get(), QStringLiteral("PRAGMA user_version"), &version) ||
        !queryRows(db.get(), QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(def.tableName)), &columns))
        return found << Finding{VerifyUnreadable,
                                QStringLiteral("No se puede leer la estructura del archivo: %1").arg(message(db.get()))};
    if (appId.value(0).value(0).toInt() != Database::ApplicationId ||
        version.value(0).value(0).toInt() != Database::SchemaVersion)
        found << Finding{VerifyWarning, QStringLiteral("El archivo no lleva la marca de las tablas del programa.")};
    if (columns.isEmpty())
        return found << Finding{VerifyUnreadable, QStringLiteral("El archivo no contiene la tabla %1.").arg(def.tableName)};
    bool sameFields = columns.size() == def.fields.size();
    for (int i = 0; sameFields && i < columns.size(); ++i)
        sameFields = columns[i].value(1).compare(def.fields[i].name, Qt::CaseInsensitive) == 0 &&
                     columns[i].value(2).compare(sqlType(def.fields[i].type), Qt::CaseInsensitive) == 0;
    if (!sameFields)
        found << Finding{VerifyDamaged, QStringLiteral("Los campos de la tabla no son los de su definición.")};
    queryRows(db.get(), QStringLiteral("PRAGMA index_list(%1)").arg(quoteIdentifier(def.tableName)), &indexes);
    for (const IndexDef& index : def.indexes) {
        bool present = false;
        for (const QStringList& row : indexes)
            present = present || row.value(1).compare(index.name, Qt::CaseInsensitive) == 0;
        if (!present)
            found << Finding{VerifyWarning, QStringLiteral("Falta el índice %1.").arg(index.name)};
    }

    // The whole file is checked, page by page; a long check reports and may be stopped.
    Ticker ticker{&s, QStringLiteral("Verificando %1").arg(def.fileName)};
    sqlite3_progress_handler(db.get(), 100000, tick, &ticker);
    QList<QStringList> check;
    const bool checked = queryRows(db.get(), QStringLiteral("PRAGMA integrity_check(100)"), &check);
    sqlite3_progress_handler(db.get(), 0, nullptr, nullptr);
    if (ticker.cancelled)
        throw Failure{TUCancelled, QStringLiteral("Se detuvo la verificación a pedido del usuario.")};
    if (!checked)
        found << Finding{VerifyDamaged, QStringLiteral("La verificación no pudo terminar: %1").arg(message(db.get()))};
    for (const QStringList& row : check)
        if (row.value(0) != QLatin1String("ok"))
            found << Finding{VerifyDamaged, row.value(0)};

    // Values the fields cannot hold: the rebuild sets their rows aside.
    QStringList odd;
    for (const FieldDef& field : def.fields) {
        bool present = false;
        for (const QStringList& column : columns)
            present = present || column.value(1).compare(field.name, Qt::CaseInsensitive) == 0;
        if (present)
            odd << QStringLiteral("typeof(%1) %2").arg(quoteIdentifier(field.name),
                                                       isNumeric(field.type) ? QStringLiteral("IN ('text', 'blob')")
                                                                             : QStringLiteral("= 'blob'"));
    }
    QList<QStringList> wrong;
    if (checked && !odd.isEmpty() &&
        queryRows(db.get(),
                  QStringLiteral("SELECT count(*) FROM main.%1 WHERE %2")
                      .arg(quoteIdentifier(def.tableName), odd.join(QStringLiteral(" OR "))),
                  &wrong) &&
        wrong.value(0).value(0).toLongLong() > 0)
        found << Finding{VerifyDamaged,
                         QStringLiteral("%1 filas tienen valores que sus campos no admiten.").arg(wrong.value(0).value(0))};
    return found;
}

void writeVerifyReport(const QString& path, const TableDef& def, const QList<Finding>& found)
{
    const QString what = QStringLiteral("No se puede escribir el informe de verificación %1").arg(native(path));
    int rc;
    const Db db = openFile(path, "rwc", &rc);
    if (rc != SQLITE_OK)
        throw Failure{FileError, QStringLiteral("%1: %2").arg(what, message(db.get()))};
    exec(db.get(), QStringLiteral("CREATE TABLE IF NOT EXISTS verify (Tabla TEXT, Fecha TEXT, Nivel INTEGER, Mensaje TEXT)"),
         what);
    exec(db.get(), QStringLiteral("BEGIN"), what);
    Stmt clear = prepare(db.get(), QStringLiteral("DELETE FROM verify WHERE Tabla = ?1"), &rc);
    if (rc == SQLITE_OK) {
        bindText(clear.get(), 1, def.fileName);
        rc = sqlite3_step(clear.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db.get());
    }
    Stmt insert = prepare(db.get(), QStringLiteral("INSERT INTO verify VALUES (?1, ?2, ?3, ?4)"), &rc);
    const QString now = QDateTime::currentDateTime().toString(Qt::ISODate);
    const QList<Finding> rows = found.isEmpty() ? QList<Finding>{{VerifyHealthy, QStringLiteral("Sin errores.")}} : found;
    for (int i = 0; rc == SQLITE_OK && i < rows.size(); ++i) {
        sqlite3_reset(insert.get());
        bindText(insert.get(), 1, def.fileName);
        bindText(insert.get(), 2, now);
        sqlite3_bind_int(insert.get(), 3, rows[i].level);
        bindText(insert.get(), 4, rows[i].text);
        rc = sqlite3_step(insert.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db.get());
    }
    if (rc != SQLITE_OK)
        throw Failure{FileError, QStringLiteral("%1: %2").arg(what, message(db.get()))};
    exec(db.get(), QStringLiteral("COMMIT"), what);
}

// ---------------------------------------------------------------- rebuild

// A table whose file takes longer than this to read is left as it was: a damaged file must not
// hold the repair of the other tables for ever.
constexpr int RebuildBudgetMs = 5 * 60 * 1000;

// Values read from the pages of a damaged file, bound as they were stored. Text that is no UTF-8
// can only be a blob.
void bindPageValue(sqlite3_stmt* stmt, int position, const pages::Value& value)
{
    switch (value.kind) {
    case pages::Value::Integer:
        sqlite3_bind_int64(stmt, position, value.integer);
        break;
    case pages::Value::Real:
        sqlite3_bind_double(stmt, position, value.real);
        break;
    case pages::Value::Text:
        if (QStringDecoder decoder(QStringDecoder::Utf8); (void(decoder.decode(value.bytes)), !decoder.hasError())) {
            sqlite3_bind_text(stmt, position, value.bytes.constData(), int(value.bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        [[fallthrough]];
    case pages::Value::Blob:
        sqlite3_bind_blob(stmt, position, value.bytes.constData(), int(value.bytes.size()), SQLITE_TRANSIENT);
        break;
    case pages::Value::Null:
    case pages::Value::Missing:
        sqlite3_bind_null(stmt, position);
        break;
    }
}

class Rebuild {
public:
    Rebuild(UtilSession& s, const Target& t, const TableDef& def, const QString& backup, const QString& keyViol,
            const QString& problem, const QString& errorTable)
        : m_session(s), m_target(t), m_def(def), m_backup(backup), m_keyViol(keyViol), m_problem(problem),
          m_errorTable(errorTable), m_temp(t.file + QStringLiteral(".nuevo"))
    {
        for (int i = 0; i < def.fields.size(); ++i)
            if (def.fields[i].type == FieldType::AutoInc)
                m_autoInc = i;
    }

    ~Rebuild()
    {
        closeAll();
        if (!m_placed) {
            QFile::remove(m_temp);
            QFile::remove(m_temp + QStringLiteral("-journal"));
        }
    }

    int run();

private:
    enum Destination { KeyViolation = 0, Problem = 1 };

    void backUp();
    QByteArray readSource(QByteArray* journal);
    void openTarget();
    void salvage(QByteArray data, const QByteArray& journal);
    void place(qint64 rowid, const QList<pages::Value>& values);
    void setAside(Destination where, std::optional<qint64> rowid, const QList<pages::Value>& values, const QString& why);
    QString keyClash(const QList<pages::Value>& values);
    void keepSequence();
    void writeSideTables(int result, const QString& summary);
    void putInPlace();
    void closeAll();
    QString summary() const;

    UtilSession& m_session;
    const Target& m_target;
    const TableDef& m_def;
    QString m_backup, m_keyViol, m_problem, m_errorTable, m_temp;
    int m_autoInc = -1;

    Db m_new;
    Stmt m_insert, m_aside;
    std::vector<Stmt> m_keyLookups;  // the row holding a unique key, per unique index

    bool m_existed = false;
    bool m_emptyFile = false;  // there was a file, of no bytes at all
    bool m_replace = true;     // whether the new file takes the old one's place
    salvage::Outcome m_outcome;
    qint64 m_copied = 0, m_keyViolations = 0, m_problems = 0;
    qint64 m_sequence = 0;  // the old file's highest number ever given, when it could be read
    bool m_placed = false;
};

int Rebuild::run()
{
    const QString name = m_def.fileName;
    report(m_session, 0, QStringLiteral("Reconstruyendo %1").arg(name));

    const QString backupFolder = QFileInfo(m_backup).absolutePath();
    if (!QDir().mkpath(backupFolder))
        throw Failure{FileError, QStringLiteral("No se puede crear la carpeta de copias %1.").arg(native(backupFolder))};
    const QFileInfo old(m_target.file);
    m_existed = old.exists();
    if (m_existed && !old.isFile())
        throw Failure{FileError, QStringLiteral("La tabla %1 no es un archivo.").arg(native(m_target.file))};
    QByteArray data, journal;
    if (m_existed) {
        backUp();
        data = readSource(&journal);
        m_emptyFile = data.isEmpty();
    }

    // Leftovers of a rebuild cut short go first; the new file is made beside the old one so that
    // putting it in place is a rename within one folder.
    removeFile(m_temp + QStringLiteral("-journal"));
    removeFile(m_temp);
    Database::createTableFile(m_temp, m_def);
    openTarget();

    exec(m_new.get(), QStringLiteral("BEGIN"), QStringLiteral("No se puede escribir la tabla nueva"));
    if (m_existed && !m_emptyFile)
        salvage(std::move(data), journal);
    const QStringList indexSql = m_def.indexSql(QStringLiteral("main"));
    for (int i = 0; i < m_def.indexes.size(); ++i)
        if (!m_def.indexes[i].unique)
            exec(m_new.get(), indexSql.value(i), QStringLiteral("No se puede escribir la tabla nueva"));
    exec(m_new.get(), QStringLiteral("COMMIT"), QStringLiteral("No se puede escribir la tabla nueva"));

    int result = 0;
    if (!m_existed || m_emptyFile)
        result = TUCreatedEmpty;
    else if (m_outcome.timedOut)
        result = TUTimedOut;
    else if (!m_outcome.found || (!m_outcome.whole && m_copied == 0))
        result = TUUnreadable;
    else if (!m_outcome.whole)
        result = TURowsLost;
    else if (m_keyViolations + m_problems > 0)
        result = TURowsSetAside;
    // A file none of whose rows could be read stays: a new empty table would lose whatever a
    // later look at the old one might still find.
    m_replace = result != TUTimedOut && result != TUUnreadable;
    const QString text = summary();
    writeSideTables(result, text);
    closeAll();
    if (m_replace)
        putInPlace();
    report(m_session, 100, QStringLiteral("Reconstruida %1").arg(name), false);
    m_session.lastRebuild = {m_def.fileName, m_replace, m_replace ? m_copied : 0,
                             m_replace ? m_keyViolations : 0, m_replace ? m_problems : 0, text};
    if (result != 0)
        m_session.lastError = text;
    return result;
}


void Rebuild::backUp()
{
    // An earlier backup may be the only copy of a file as it was before an earlier repair: it
    // stays, under the date it was made.
    if (QFileInfo::exists(m_backup)) {
        const QFileInfo earlier(m_backup);
        const QString stem = earlier.dir().filePath(earlier.completeBaseName() + QLatin1Char('_') +
                                                    earlier.lastModified().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        QString kept = stem + QStringLiteral(".db");
        for (int n = 2; QFileInfo::exists(kept); ++n)
            kept = stem + QStringLiteral("-%1.db").arg(n);
        if (!QFile::rename(m_backup, kept))
            throw Failure{FileError, QStringLiteral("No se puede guardar la copia anterior %1.").arg(native(m_backup))};
        if (QFileInfo::exists(m_backup + QStringLiteral("-journal")))
            QFile::rename(m_backup + QStringLiteral("-journal"), kept + QStringLiteral("-journal"));
    }
    // A journal left beside an earlier backup would be played onto this copy when it is opened.
    removeFile(m_backup + QStringLiteral("-journal"));
    copyFile(m_target.file, m_backup);
    const QString journal = m_target.file + QStringLiteral("-journal");
    if (QFileInfo::exists(journal))
        copyFile(journal, m_backup + QStringLiteral("-journal"));
}

void Rebuild::openTarget()
{
    const QString what = QStringLiteral("No se puede escribir la tabla nueva %1").arg(native(m_temp));
    int rc;
    m_new = openFile(m_temp, "rw", &rc);
    if (rc != SQLITE_OK)
        throw Failure{FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get()))};
    // The new file is no one's table until it is renamed into place, and it reaches the disk
    // before that: while it fills, a journal in memory and no syncs are enough.
    exec(m_new.get(), QStringLiteral("PRAGMA main.journal_mode=MEMORY; PRAGMA main.synchronous=OFF; "
                                     "PRAGMA main.cache_size=-16384"),
         what);
    // Indexes that only serve lookups are built once the rows are in; sorting beats inserting.
    for (const IndexDef& index : m_def.indexes)
        if (!index.unique)
            exec(m_new.get(), QStringLiteral("DROP INDEX main.%1").arg(quoteIdentifier(index.name)), what);
    QStringList fields, columns, placeholders;
    for (int i = 0; i < m_def.fields.size(); ++i) {
        fields << quoteIdentifier(m_def.fields[i].name);
        placeholders << QStringLiteral("?%1").arg(i + 2);
    }
    exec(m_new.get(),
         QStringLiteral("CREATE TEMP TABLE aside (Rep_Destino INTEGER, Rep_Fila INTEGER, Rep_Motivo TEXT, %1)")
             .arg(fields.join(QStringLiteral(", "))),
         what);
    m_aside = prepare(m_new.get(),
                      QStringLiteral("INSERT INTO temp.aside VALUES (?1, ?%1, ?%2, %3)")
                          .arg(m_def.fields.size() + 2)
                          .arg(m_def.fields.size() + 3)
                          .arg(placeholders.join(QStringLiteral(", "))),
                      &rc);
    if (rc == SQLITE_OK) {
        // The numbers of the rows are kept: other tables refer to them.
        const QString table = QStringLiteral("main.") + quoteIdentifier(m_def.tableName);
        m_insert = m_autoInc >= 0
                       ? prepare(m_new.get(),
                                 QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(table, fields.join(QStringLiteral(", ")),
                                          placeholders.join(QStringLiteral(", "))),
                                 &rc)
                       : prepare(m_new.get(),
                                 QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (?1, %3)")
                                     .arg(table, fields.join(QStringLiteral(", ")),
                                          placeholders.join(QStringLiteral(", "))),
                                 &rc);
    }
    if (rc != SQLITE_OK)
        throw Failure{FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get()))};
}

// Reads the whole file, and a journal a crash left beside it, under a read lock so that another
// program cannot change the file meanwhile. The file is never opened for writing: a journal is
// played onto the copy in memory only.
QByteArray Rebuild::readSource(QByteArray* journal)
{
    int rc;
    const Db lock = openFile(m_target.file, "ro", &rc);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(lock.get(), "BEGIN; SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        throw Failure{FileError, QStringLiteral("No se puede leer la tabla %1: otro programa la está usando.")
                                     .arg(native(m_target.file))};
    const auto readAll = [](const QString& path) {
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError)
            throw Failure{FileError, QStringLiteral("No se puede leer %1: %2").arg(native(path), file.errorString())};
        return bytes;
    };
    QByteArray data = readAll(m_target.file);
    const QString journalPath = m_target.file + QStringLiteral("-journal");
    if (QFileInfo::exists(journalPath))
        *journal = readAll(journalPath);
    return data;
}

void Rebuild::salvage(QByteArray data, const QByteArray& journal)
{
    const pages::PageImage image(std::move(data), journal);
    salvage::Handlers handlers;
    handlers.row = [this](qint64 rowid, const QList<pages::Value>& values) { place(rowid, values); };
    handlers.problem = [this](std::optional<qint64> rowid, const QList<pages::Value>& values, const QString& why) {
        setAside(Problem, rowid, values, why);
    };
    handlers.progress = [this](int done, int total) {
        report(m_session, int(qint64(done) * 99 / std::max(total, 1)),
               QStringLiteral("Reconstruyendo %1: %2 filas").arg(m_def.fileName).arg(m_copied));
    };
    m_outcome = salvage::salvageTable(m_def, image, handlers, QDeadlineTimer(RebuildBudgetMs));
    m_sequence = m_outcome.sequence;
    keepSequence();
}

void Rebuild::place(qint64 rowid, const QList<pages::Value>& values)
{
    sqlite3_stmt* insert = m_insert.get();
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    if (m_autoInc < 0)
        sqlite3_bind_int64(insert, 1, rowid);
    for (int i = 0; i < m_def.fields.size(); ++i)
        bindPageValue(insert, i + 2, values[i]);
    const int rc = sqlite3_step(insert);
    const QString why = message(m_new.get());
    sqlite3_reset(insert);
    if (rc == SQLITE_DONE) {
        ++m_copied;
        return;
    }
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY || rc == SQLITE_CONSTRAINT_ROWID) {
        setAside(KeyViolation, rowid, values, keyClash(values));
        return;
    }
    if ((rc & 0xff) == SQLITE_CONSTRAINT) {
        setAside(Problem, rowid, values, QStringLiteral("La tabla no admite la fila: %1").arg(why));
        return;
    }
    throw Failure{FileError, QStringLiteral("No se puede escribir la tabla nueva %1: %2").arg(native(m_temp), why)};
}

QString Rebuild::keyClash(const QList<pages::Value>& values)
{
    if (m_keyLookups.empty())
        m_keyLookups.resize(size_t(m_def.indexes.size()));
    for (int i = 0; i < m_def.indexes.size(); ++i) {
        const IndexDef& index = m_def.indexes[i];
        if (!index.unique)
            continue;
        Stmt& lookup = m_keyLookups[size_t(i)];
        if (!lookup) {
            QStringList terms;
            for (int k = 0; k < index.fields.size(); ++k)
                terms << QStringLiteral("%1 = ?%2").arg(quoteIdentifier(index.fields[k])).arg(k + 1);
            int rc;
            lookup = prepare(m_new.get(),
                             QStringLiteral("SELECT rowid FROM main.%1 WHERE %2 LIMIT 1")
                                 .arg(quoteIdentifier(m_def.tableName), terms.join(QStringLiteral(" AND "))),
                             &rc);
            if (rc != SQLITE_OK)
                continue;
        }
        sqlite3_reset(lookup.get());
        for (int k = 0; k < index.fields.size(); ++k)
            bindPageValue(lookup.get(), k + 1, values[m_def.fieldIndex(index.fields[k])]);
        if (sqlite3_step(lookup.get()) == SQLITE_ROW) {
            const qint64 holder = sqlite3_column_int64(lookup.get(), 0);
            sqlite3_reset(lookup.get());
            return QStringLiteral("Clave repetida en %1 (%2): ya la tiene la fila %3.")
                .arg(index.name, index.fields.join(QStringLiteral(", ")))
                .arg(holder);
        }
        sqlite3_reset(lookup.get());
    }
    return QStringLiteral("Número de fila repetido.");
}

void Rebuild::setAside(Destination where, std::optional<qint64> rowid, const QList<pages::Value>& values,
                       const QString& why)
{
    sqlite3_stmt* aside = m_aside.get();
    sqlite3_reset(aside);
    sqlite3_clear_bindings(aside);
    sqlite3_bind_int(aside, 1, where);
    for (int i = 0; i < m_def.fields.size(); ++i)
        bindPageValue(aside, i + 2, values.value(i));
    if (rowid)
        sqlite3_bind_int64(aside, int(m_def.fields.size()) + 2, *rowid);
    bindText(aside, int(m_def.fields.size()) + 3, why);
    const int rc = sqlite3_step(aside);
    sqlite3_reset(aside);
    if (rc != SQLITE_DONE)
        throw Failure{FileError, QStringLiteral("No se pueden apartar las filas de %1: %2")
                                     .arg(m_def.fileName, message(m_new.get()))};
    ++(where == KeyViolation ? m_keyViolations : m_problems);
}


// Numbers given once are never given again, even those of rows deleted since: the new file
// carries on from where the old one was.
void Rebuild::keepSequence()
{
    if (m_autoInc < 0 || m_sequence <= 0)
        return;
    const QString what = QStringLiteral("No se puede escribir la tabla nueva");
    int rc;
    Stmt update = prepare(m_new.get(),
                          QStringLiteral("UPDATE sqlite_sequence SET seq = ?1 WHERE name = ?2 AND seq < ?1"), &rc);
    Stmt insert = prepare(m_new.get(),
                          QStringLiteral("INSERT INTO sqlite_sequence (name, seq) SELECT ?2, ?1 "
                                         "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?2)"),
                          &rc);
    for (Stmt* stmt : {&update, &insert}) {
        if (!*stmt)
            throw Failure{FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get()))};
        sqlite3_bind_int64(stmt->get(), 1, m_sequence);
        bindText(stmt->get(), 2, m_def.tableName);
        if (sqlite3_step(stmt->get()) != SQLITE_DONE)
            throw Failure{FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get()))};
    }
}

QString Rebuild::summary() const
{
    const QString name = m_def.fileName;
    if (!m_existed)
        return QStringLiteral("%1: no existía; se creó la tabla vacía.").arg(name);
    if (m_emptyFile)
        return QStringLiteral("%1: el archivo estaba vacío; se creó la tabla vacía.").arg(name);
    const QString kept = QStringLiteral("el archivo quedó como estaba (copia en %1)").arg(native(m_backup));
    if (m_outcome.timedOut)
        return QStringLiteral("%1: la lectura no terminó a tiempo; %2.").arg(name, kept);
    if (!m_outcome.found)
        return QStringLiteral("%1: no se pudo leer ninguna fila, %2; %3.").arg(name, m_outcome.notFoundWhy, kept);
    if (!m_outcome.whole && m_copied == 0)
        return QStringLiteral("%1: no se pudo leer ninguna fila; %2.").arg(name, kept);
    QStringList parts{QStringLiteral("%1: %2 filas conservadas").arg(name).arg(m_copied)};
    if (m_problems > 0)
        parts << QStringLiteral("%1 apartadas en %2").arg(m_problems).arg(QFileInfo(m_problem).fileName());
    if (m_keyViolations > 0)
        parts << QStringLiteral("%1 con clave repetida apartadas en %2")
                     .arg(m_keyViolations)
                     .arg(QFileInfo(m_keyViol).fileName());
    QString text = parts.join(QStringLiteral(", "));
    if (!m_outcome.whole)
        text += QStringLiteral("; partes del archivo estaban dañadas");
    return text + QStringLiteral("; se reemplazó el archivo.");
}

void Rebuild::writeSideTables(int result, const QString& text)
{
    // Rows of a file that stays where it was are still in it: none of them is set aside.
    QList<std::pair<QString, Destination>> sides;
    if (m_replace && m_keyViolations > 0)
        sides << std::pair{m_keyViol, KeyViolation};
    if (m_replace && m_problems > 0)
        sides << std::pair{m_problem, Problem};
    if (sides.isEmpty() && m_errorTable.isEmpty())
        return;

    // Each file is attached once, even when two side tables share it.
    QHash<QString, QString> schemaOf;
    auto attach = [&](const QString& path) {
        const QString key = QFileInfo(path).absoluteFilePath();
        if (schemaOf.contains(key))
            return schemaOf.value(key);
        const QString schema = QStringLiteral("side%1").arg(schemaOf.size());
        // An attached file cannot be created with more rights than the main file was opened with.
        int rc = SQLITE_OK;
        if (!QFileInfo::exists(key))
            openFile(key, "rwc", &rc);
        Stmt stmt;
        if (rc == SQLITE_OK)
            stmt = prepare(m_new.get(), QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(schema), &rc);
        if (rc == SQLITE_OK) {
            QUrl url = QUrl::fromLocalFile(key);
            url.setQuery(QStringLiteral("mode=rw"));
            bindText(stmt.get(), 1, QString::fromLatin1(url.toEncoded()));
            rc = sqlite3_step(stmt.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(m_new.get());
        }
        if (rc != SQLITE_OK)
            throw Failure{FileError, QStringLiteral("No se puede abrir %1: %2").arg(native(path), message(m_new.get()))};
        schemaOf.insert(key, schema);
        return schema;
    };

    QStringList fields, typed;
    for (const FieldDef& f : m_def.fields) {
        fields << quoteIdentifier(f.name);
        typed << quoteIdentifier(f.name) + QLatin1Char(' ') + sqlType(f.type);
    }
    const QString now = QDateTime::currentDateTime().toString(Qt::ISODate);
    QString what;
    try {
        QList<std::pair<QString, Destination>> attached;
        for (const auto& [path, where] : sides)
            attached << std::pair{attach(path), where};
        const QString report = m_errorTable.isEmpty() ? QString() : attach(m_errorTable);
        what = QStringLiteral("No se pueden guardar las filas apartadas de %1").arg(m_def.fileName);
        exec(m_new.get(), QStringLiteral("BEGIN"), what);
        for (const auto& [schema, where] : attached) {
            const QString table = schema + QLatin1Char('.') + quoteIdentifier(m_def.tableName);
            exec(m_new.get(),
                 QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Rep_Fecha TEXT, Rep_Fila INTEGER, Rep_Motivo TEXT, %2)")
                     .arg(table, typed.join(QStringLiteral(", "))),
                 what);
            exec(m_new.get(),
                 QStringLiteral("INSERT INTO %1 (Rep_Fecha, Rep_Fila, Rep_Motivo, %2) "
                                "SELECT '%3', Rep_Fila, Rep_Motivo, %2 FROM temp.aside WHERE Rep_Destino = %4 "
                                "ORDER BY Rep_Fila")
                     .arg(table, fields.join(QStringLiteral(", ")), now)
                     .arg(int(where)),
                 what);
        }
        if (!report.isEmpty()) {
            exec(m_new.get(),
                 QStringLiteral("CREATE TABLE IF NOT EXISTS %1.rebuild (Tabla TEXT, Fecha TEXT, Resultado INTEGER, "
                                "Copiadas INTEGER, Claves INTEGER, Problemas INTEGER, Mensaje TEXT)")
                     .arg(report),
                 what);
            int rc;
            Stmt insert = prepare(m_new.get(),
                                  QStringLiteral("INSERT INTO %1.rebuild VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)").arg(report),
                                  &rc);
            if (rc == SQLITE_OK) {
                bindText(insert.get(), 1, m_def.fileName);
                bindText(insert.get(), 2, now);
                sqlite3_bind_int(insert.get(), 3, result);
                sqlite3_bind_int64(insert.get(), 4, m_copied);
                sqlite3_bind_int64(insert.get(), 5, m_keyViolations);
                sqlite3_bind_int64(insert.get(), 6, m_problems);
                bindText(insert.get(), 7, text);
                rc = sqlite3_step(insert.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(m_new.get());
            }
            if (rc != SQLITE_OK)
                throw Failure{FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get()))};
        }
        exec(m_new.get(), QStringLiteral("COMMIT"), what);
    } catch (const Failure&) {
        sqlite3_exec(m_new.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void Rebuild::putInPlace()
{
    QFile written(m_temp);
    if (!written.open(QIODevice::ReadWrite) || !syncFile(written))
        throw Failure{FileError, QStringLiteral("No se puede escribir la tabla nueva %1: %2")
                                     .arg(native(m_temp), written.errorString())};
    written.close();
    // The new file is the old one to whoever may read or write it.
    if (m_existed)
        copyPermissions(m_target.file, m_temp);
    // A journal of the old file left beside the new one would be played onto it at the next open.
    removeFile(m_target.file + QStringLiteral("-journal"));
    std::error_code error;
    std::filesystem::rename(fsPath(m_temp), fsPath(m_target.file), error);
    if (error)
        throw Failure{FileError, QStringLiteral("No se puede poner la tabla nueva en lugar de %1: %2")
                                     .arg(native(m_target.file), QString::fromLocal8Bit(error.message()))};
    m_placed = true;
    syncFolder(m_target.folder);
}

void Rebuild::closeAll()
{
    m_insert.reset();
    m_aside.reset();
    m_keyLookups.clear();
    m_new.reset();
}

}  // namespace

// ---------------------------------------------------------------- the calls

int TUInit(TUSession* session, const QList<TableDef>& tables)
{
    if (!session)
        return TUInvalidSession;
    *session = 0;
    if (sqlite3_initialize() != SQLITE_OK)
        return SqlError;
    static TUSession next = 0;
    auto& table = sessions();
    if (table.size() >= std::numeric_limits<TUSession>::max())
        return TUTooManySessions;
    do {
        ++next;
    } while (next == 0 || table.count(next) > 0);
    table.emplace(next, UtilSession{tables, {}, {}, {}});
    *session = next;
    return 0;
}

int TUExit(TUSession session)
{
    return sessions().erase(session) > 0 ? 0 : int(TUInvalidSession);
}

QString TUErrorText(TUSession session)
{
    const auto it = sessions().find(session);
    if (it == sessions().end())
        return QStringLiteral("La sesión de la herramienta de tablas no es válida.");
    return it->second.lastError;
}

int TURegisterCallback(TUSession session, int type, ProgressCallback callback)
{
    return call(session, [&](UtilSession& s) {
        if (type != TUCallbackGeneralProgress)
            throw Failure{TUBadCallback, QStringLiteral("Tipo de aviso desconocido: %1.").arg(type)};
        s.progress = std::move(callback);
        return 0;
    });
}

int TUGetRebuildReport(TUSession session, RebuildReport* rebuild)
{
    return call(session, [&](UtilSession& s) {
        if (rebuild)
            *rebuild = s.lastRebuild;
        return 0;
    });
}

int TUFillCURProps(TUSession session, const QString& tablePath, TableProperties* properties)
{
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        const QFileInfo info(t.file);
        if (!info.exists())
            throw Failure{TableNotFound, QStringLiteral("No se encuentra la tabla %1.").arg(native(t.file))};
        if (properties)
            *properties = {t.file, t.def->tableName, TableDriver, int(t.def->fields.size()),
                           int(t.def->indexes.size()), info.size()};
        return 0;
    });
}

int TUVerifyTable(TUSession session, const QString& tablePath, const QString& driver, const QString& reportTable,
                  const QString& password, int options, int* errorLevel)
{
    Q_UNUSED(password);  // our table files have none
    Q_UNUSED(options);
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        checkDriver(driver);
        report(s, 0, QStringLiteral("Verificando %1").arg(t.def->fileName));
        const QList<Finding> found = examine(s, t);
        writeVerifyReport(sidePath(t, reportTable.isEmpty() ? QStringLiteral("VERIFY.DB") : reportTable), *t.def, found);
        int level = VerifyHealthy;
        for (const Finding& f : found)
            level = std::max(level, f.level);
        if (errorLevel)
            *errorLevel = level;
        report(s, 100, QStringLiteral("Verificada %1").arg(t.def->fileName), false);
        return 0;
    });
}

int TUGetCRTblDescCount(TUSession session, const QString& tablePath, quint16* fields, quint16* indexes,
                        quint16* securityRecords, quint16* validityChecks, quint16* referentialRules,
                        quint16* optionalParameters, quint16* optionalDataLength)
{
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        const quint16 counts[] = {quint16(t.def->fields.size()), quint16(t.def->indexes.size()), 0, 0, 0, 0, 0};
        quint16* places[] = {fields, indexes, securityRecords, validityChecks, referentialRules, optionalParameters,
                             optionalDataLength};
        for (int i = 0; i < 7; ++i)
            if (places[i])
                *places[i] = counts[i];
        return 0;
    });
}

int TUFillCRTblDesc(TUSession session, TableDescriptor* descriptor, const QString& tablePath, const QString& password)
{
    Q_UNUSED(password);
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        if (!descriptor || descriptor->fields.size() != t.def->fields.size() ||
            descriptor->indexes.size() != t.def->indexes.size())
            throw Failure{TUBadDescriptor,
                          QStringLiteral("El lugar reservado no corresponde a la estructura de %1.").arg(t.def->fileName)};
        descriptor->fields = t.def->fields;
        descriptor->indexes = t.def->indexes;
        if (descriptor->tableName.isEmpty())
            descriptor->tableName = tablePath;
        if (descriptor->tableType.isEmpty())
            descriptor->tableType = TableDriver;
        return 0;
    });
}

int TURebuildTable(TUSession session, const QString& tablePath, const QString& driver, const QString& backupName,
                   const QString& keyViolName, const QString& problemName, TableDescriptor* descriptor)
{
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        checkDriver(driver);
        if (!descriptor || descriptor->fields.isEmpty())
            throw Failure{TUBadDescriptor, QStringLiteral("Falta la estructura de la tabla %1.").arg(t.def->fileName)};
        for (const FieldDef& f : descriptor->fields)
            if (f.name.trimmed().isEmpty())
                throw Failure{TUBadDescriptor,
                              QStringLiteral("La estructura de la tabla %1 tiene un campo sin nombre.").arg(t.def->fileName)};
        if (backupName.trimmed().isEmpty())
            throw Failure{FileError, QStringLiteral("Falta el nombre de la copia de %1.").arg(t.def->fileName)};
        // The new file is made from the descriptor, under the table's own names.
        TableDef def = *t.def;
        def.fields = descriptor->fields;
        def.indexes = descriptor->indexes;
        const QString errorTable = descriptor->errorTable.isEmpty() ? QString() : sidePath(t, descriptor->errorTable);
        s.lastRebuild = {def.fileName, false, 0, 0, 0, {}};
        Rebuild rebuild(s, t, def, sidePath(t, backupName),
                        sidePath(t, keyViolName.isEmpty() ? QStringLiteral("KEYVIOL.DB") : keyViolName),
                        sidePath(t, problemName.isEmpty() ? QStringLiteral("PROBLEM.DB") : problemName), errorTable);
        return rebuild.run();
    });
}

}  // namespace store
