#include "Rebuild.h"

#include "Database.h"
#include "PageImage.h"
#include "Salvage.h"
#include "SqliteFile.h"
#include "StoredValue.h"
#include "data/files/FileOps.h"
#include "data/files/SystemError.h"

#include <sqlite3.h>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <optional>
#include <vector>

namespace store::util {

using namespace store::files;
using namespace store::sqlite;

namespace {

std::chrono::milliseconds budget = std::chrono::minutes(5);

// Values read from the pages of a damaged file, bound as they were stored. Text that is no UTF-8
// can only be a blob.
void bindPageValue(sqlite3_stmt* stmt, int position, const pages::Value& value)
{
    int rc = SQLITE_OK;
    switch (value.kind) {
    case pages::Value::Integer:
        rc = sqlite3_bind_int64(stmt, position, value.integer);
        break;
    case pages::Value::Real:
        rc = sqlite3_bind_double(stmt, position, value.real);
        break;
    case pages::Value::Text:
        if (pages::utf8Text(value.bytes)) {
            rc = sqlite3_bind_text(stmt, position, value.bytes.constData(), int(value.bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        [[fallthrough]];
    case pages::Value::Blob:
        rc = sqlite3_bind_blob(stmt, position, value.bytes.constData(), int(value.bytes.size()), SQLITE_TRANSIENT);
        break;
    case pages::Value::Null:
    case pages::Value::Missing:
        rc = sqlite3_bind_null(stmt, position);
        break;
    }
    checkBind(rc, stmt);
}

}  // namespace

void setRebuildBudget(std::chrono::milliseconds value) { budget = value; }

namespace {

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
    void setAside(Destination where, std::optional<qint64> rowid, const QList<pages::Value>& values,
                  const QString& why);
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
    bool m_placed = false;
};

int Rebuild::run()
{
    const QString name = m_def.fileName;
    report(m_session, 0, QStringLiteral("Reconstruyendo %1").arg(name));

    const QString backupFolder = QFileInfo(m_backup).absolutePath();
    if (!QDir().mkpath(backupFolder))
        throw StoreError(FileError,
                         QStringLiteral("No se puede crear la carpeta de copias %1.").arg(native(backupFolder)));
    const QFileInfo old(m_target.file);
    m_existed = old.exists();
    if (m_existed && !old.isFile())
        throw StoreError(FileError, QStringLiteral("La tabla %1 no es un archivo.").arg(native(m_target.file)));
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
    m_session.lastRebuild = {m_def.fileName,
                             m_replace,
                             m_replace ? m_copied : 0,
                             m_replace ? m_keyViolations : 0,
                             m_replace ? m_problems : 0,
                             text};
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
        const QString kept = files::freeName(stem, QStringLiteral(".db"));
        if (!QFile::rename(m_backup, kept))
            throw StoreError(FileError,
                             QStringLiteral("No se puede guardar la copia anterior %1.").arg(native(m_backup)));
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
    m_new = openFile(m_temp, QStringLiteral("mode=rw"), &rc);
    if (rc != SQLITE_OK)
        throw StoreError(FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get())));
    // The new file is no one's table until it is renamed into place, and it reaches the disk
    // before that: while it fills, a journal in memory and no syncs are enough.
    exec(m_new.get(),
         QStringLiteral("PRAGMA main.journal_mode=MEMORY; PRAGMA main.synchronous=OFF; "
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
        m_insert =
            m_autoInc >= 0
                ? prepare(m_new.get(),
                          QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(table, fields.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", "))),
                          &rc)
                : prepare(m_new.get(),
                          QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (?1, %3)")
                              .arg(table, fields.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", "))),
                          &rc);
    }
    if (rc != SQLITE_OK)
        throw StoreError(FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get())));
}

// Reads the whole file, and a journal a crash left beside it, under a read lock so that another
// program cannot change the file meanwhile. The file is never opened for writing: a journal is
// played onto the copy in memory only.
QByteArray Rebuild::readSource(QByteArray* journal)
{
    int rc;
    const Db lock = openFile(m_target.file, QStringLiteral("mode=ro"), &rc);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(lock.get(), "BEGIN; SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        throw StoreError(
            FileError,
            QStringLiteral("No se puede leer la tabla %1: otro programa la está usando.").arg(native(m_target.file)));
    const auto readAll = [](const QString& path) {
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError)
            throw files::readFailed(file, path);
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
    m_outcome = salvage::salvageTable(m_def, image, handlers, QDeadlineTimer(budget));
    keepSequence();
}

void Rebuild::place(qint64 rowid, const QList<pages::Value>& values)
{
    sqlite3_stmt* insert = m_insert.get();
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    if (m_autoInc < 0)
        checkBind(sqlite3_bind_int64(insert, 1, rowid), insert);
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
    throw StoreError(FileError, QStringLiteral("No se puede escribir la tabla nueva %1: %2").arg(native(m_temp), why));
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
    checkBind(sqlite3_bind_int(aside, 1, where), aside);
    for (int i = 0; i < m_def.fields.size(); ++i)
        bindPageValue(aside, i + 2, values.value(i));
    if (rowid)
        checkBind(sqlite3_bind_int64(aside, int(m_def.fields.size()) + 2, *rowid), aside);
    bindText(aside, int(m_def.fields.size()) + 3, why);
    const int rc = sqlite3_step(aside);
    sqlite3_reset(aside);
    if (rc != SQLITE_DONE)
        throw StoreError(
            FileError,
            QStringLiteral("No se pueden apartar las filas de %1: %2").arg(m_def.fileName, message(m_new.get())));
    ++(where == KeyViolation ? m_keyViolations : m_problems);
}

// Numbers given once are never given again, even those of rows deleted since: the new file
// carries on from where the old one was.
void Rebuild::keepSequence()
{
    if (m_autoInc < 0 || m_outcome.sequence <= 0)
        return;
    const QString what = QStringLiteral("No se puede escribir la tabla nueva");
    int rc;
    Stmt update =
        prepare(m_new.get(), QStringLiteral("UPDATE sqlite_sequence SET seq = ?1 WHERE name = ?2 AND seq < ?1"), &rc);
    Stmt insert = prepare(m_new.get(),
                          QStringLiteral("INSERT INTO sqlite_sequence (name, seq) SELECT ?2, ?1 "
                                         "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?2)"),
                          &rc);
    for (Stmt* stmt : {&update, &insert}) {
        if (!*stmt)
            throw StoreError(FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get())));
        checkBind(sqlite3_bind_int64(stmt->get(), 1, m_outcome.sequence), stmt->get());
        bindText(stmt->get(), 2, m_def.tableName);
        if (sqlite3_step(stmt->get()) != SQLITE_DONE)
            throw StoreError(FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get())));
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
    // Counts agree in number with what they count: "1 fila conservada", "2 filas conservadas".
    const auto rows = [](qint64 n, const char* one, const char* many) {
        return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(n == 1 ? one : many);
    };
    QStringList parts{name + QStringLiteral(": ") + rows(m_copied, "fila conservada", "filas conservadas")};
    if (m_problems > 0)
        parts << QStringLiteral("%1 en %2")
                     .arg(rows(m_problems, "apartada", "apartadas"), QFileInfo(m_problem).fileName());
    if (m_keyViolations > 0)
        parts << QStringLiteral("%1 en %2")
                     .arg(rows(m_keyViolations, "con clave repetida apartada", "con clave repetida apartadas"),
                          QFileInfo(m_keyViol).fileName());
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
            openFile(key, QStringLiteral("mode=rwc"), &rc);
        Stmt stmt;
        if (rc == SQLITE_OK)
            stmt = prepare(m_new.get(), QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(schema), &rc);
        if (rc == SQLITE_OK) {
            bindText(stmt.get(), 1, QString::fromLatin1(fileUri(key, QStringLiteral("mode=rw"))));
            rc = sqlite3_step(stmt.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(m_new.get());
        }
        if (rc != SQLITE_OK)
            throw StoreError(FileError,
                             QStringLiteral("No se puede abrir %1: %2").arg(native(path), message(m_new.get())));
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
            Stmt insert =
                prepare(m_new.get(),
                        QStringLiteral("INSERT INTO %1.rebuild VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)").arg(report), &rc);
            if (rc == SQLITE_OK) {
                bindText(insert.get(), 1, m_def.fileName);
                bindText(insert.get(), 2, now);
                checkBind(sqlite3_bind_int(insert.get(), 3, result), insert.get());
                checkBind(sqlite3_bind_int64(insert.get(), 4, m_copied), insert.get());
                checkBind(sqlite3_bind_int64(insert.get(), 5, m_keyViolations), insert.get());
                checkBind(sqlite3_bind_int64(insert.get(), 6, m_problems), insert.get());
                bindText(insert.get(), 7, text);
                rc = sqlite3_step(insert.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(m_new.get());
            }
            if (rc != SQLITE_OK)
                throw StoreError(FileError, QStringLiteral("%1: %2").arg(what, message(m_new.get())));
        }
        exec(m_new.get(), QStringLiteral("COMMIT"), what);
    } catch (const StoreError&) {
        sqlite3_exec(m_new.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void Rebuild::putInPlace()
{
    QFile written(m_temp);
    if (!written.open(QIODevice::ReadWrite) || !syncFile(written))
        throw StoreError(FileError, QStringLiteral("No se puede escribir la tabla nueva %1: %2")
                                        .arg(native(m_temp), fileErrorReason(written, m_temp)));
    written.close();
    // The new file is the old one to whoever may read or write it.
    if (m_existed)
        copyPermissions(m_target.file, m_temp);
    // A journal of the old file left beside the new one would be played onto it at the next open.
    removeFile(m_target.file + QStringLiteral("-journal"));
    replaceFile(m_temp, m_target.file, QStringLiteral("No se puede poner la tabla nueva en lugar de %1: %2"));
    m_placed = true;
}

void Rebuild::closeAll()
{
    m_insert.reset();
    m_aside.reset();
    m_keyLookups.clear();
    m_new.reset();
}

}  // namespace

int rebuildTable(UtilSession& s, const Target& t, const TableDef& def, const QString& backup, const QString& keyViol,
                 const QString& problem, const QString& errorTable)
{
    return Rebuild(s, t, def, backup, keyViol, problem, errorTable).run();
}

}  // namespace store::util
