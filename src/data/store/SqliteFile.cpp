#include "SqliteFile.h"

#include "StoreError.h"

#include <sqlite3.h>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

namespace store::sqlite {

void CloseDb::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

void FinalizeStmt::operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }

void harden(sqlite3* db)
{
    // Damaged and foreign files are read too: nothing in them may run code or slip past checks.
    sqlite3_extended_result_codes(db, 1);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_exec(db, "PRAGMA cell_size_check=ON", nullptr, nullptr, nullptr);
    // Deleted rows are overwritten, so that the repair, which reads every page of a damaged
    // file, never finds them again on a page the file no longer knows as free.
    sqlite3_exec(db, "PRAGMA secure_delete=ON", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db, 2000);
}

QString message(sqlite3* db)
{
    if (!db)
        return errorText(SQLITE_CANTOPEN);
    return errorText(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

QString errorText(int code, const QString& detail)
{
    switch (code & 0xff) {
    case SQLITE_READONLY:
        return QStringLiteral(
            "la carpeta de los datos o un archivo de tabla es de solo lectura; revise los permisos "
            "de la carpeta");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("no hay permiso para usar los archivos de las tablas; revise los permisos de la carpeta");
    case SQLITE_IOERR:
        return QStringLiteral("el disco no pudo leer o escribir un archivo de tabla");
    case SQLITE_CANTOPEN:
        return QStringLiteral(
            "no se puede abrir un archivo de tabla: la carpeta de los datos no existe o no se puede "
            "leer");
    case SQLITE_FULL:
        return QStringLiteral("no hay espacio en el disco");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return QStringLiteral("un archivo de tabla está dañado");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("otro programa está usando los archivos de las tablas; ciérrelo y vuelva a intentarlo");
    case SQLITE_NOMEM:
        return QStringLiteral("no hay memoria suficiente");
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
        return QStringLiteral("un valor no cumple las reglas de la tabla");
    case SQLITE_ERROR:
        if (detail.startsWith(QLatin1String("no such table")) || detail.startsWith(QLatin1String("no such column")))
            return QStringLiteral("falta una tabla o uno de sus campos");
        if (detail.contains(QLatin1String("too large")))
            return QStringLiteral("la consulta es demasiado larga para la base de datos");
        break;
    default:
        break;
    }
    return QStringLiteral("error de la base de datos (código %1)").arg(code);
}

QByteArray fileUri(const QString& path, const QString& query)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(query);
    return url.toEncoded();
}

Db openFile(const QString& path, const QString& query, int* rc)
{
    const QUrlQuery parameters(query);
    const QString mode = parameters.queryItemValue(QStringLiteral("mode"));
    const int flags = (mode == QLatin1String("rwc")  ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                       : mode == QLatin1String("rw") ? SQLITE_OPEN_READWRITE
                                                     : SQLITE_OPEN_READONLY) |
                      SQLITE_OPEN_URI;
    sqlite3* raw = nullptr;
    *rc = sqlite3_open_v2(fileUri(path, query).constData(), &raw, flags, nullptr);
    Db db(raw);
    if (*rc == SQLITE_OK)
        harden(raw);
    return db;
}

Stmt prepare(sqlite3* db, const QString& sql, int* rc)
{
    sqlite3_stmt* raw = nullptr;
    *rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &raw, nullptr);
    return Stmt(raw);
}

// Rows of a query on one of the files we examine, as text; false when the query fails.
bool queryRows(sqlite3* db, const QString& sql, QList<QStringList>* rows, const QVariantList& values, int* failure)
{
    int rc;
    Stmt stmt = prepare(db, sql, &rc);
    if (failure)
        *failure = rc;
    if (rc != SQLITE_OK)
        return false;
    for (int i = 0; i < values.size() && rc == SQLITE_OK; ++i) {
        const QByteArray text = values[i].toString().toUtf8();
        rc = sqlite3_bind_text(stmt.get(), i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK) {
        if (failure)
            *failure = rc;
        return false;
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
        throw StoreError(FileError, QStringLiteral("%1: %2").arg(what, message(db)));
}

void checkBind(int rc, sqlite3_stmt* stmt)
{
    if (rc != SQLITE_OK)
        throw StoreError(
            SqlError,
            QStringLiteral("No se puede pasar un valor a la consulta: %1").arg(message(sqlite3_db_handle(stmt))));
}

void bindText(sqlite3_stmt* stmt, int position, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    checkBind(sqlite3_bind_text(stmt, position, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT), stmt);
}

}  // namespace store::sqlite
