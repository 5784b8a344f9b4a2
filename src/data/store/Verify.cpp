#include "Verify.h"

#include "Database.h"
#include "SqliteFile.h"
#include "data/files/FileOps.h"
#include "data/files/SystemError.h"

#include <sqlite3.h>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace store::util {

using namespace store::sqlite;
using files::native;

namespace {

bool isNumeric(FieldType type) { return type != FieldType::Text && type != FieldType::Date; }

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
    } catch (const StoreError&) {
        ticker->cancelled = true;
        return 1;
    }
    return 0;
}

}  // namespace

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
        return {
            {VerifyUnreadable, QStringLiteral("No se puede leer el archivo: %1").arg(fileErrorReason(file, t.file))}};
    const QByteArray head = file.read(100);
    file.close();
    if (head.isEmpty())
        return {{VerifyUnreadable, QStringLiteral("El archivo está vacío.")}};
    if (!head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return {{VerifyUnreadable, QStringLiteral("El archivo no es un archivo de tabla.")}};

    QList<Finding> found;
    if (QFileInfo::exists(t.file + QStringLiteral("-journal")))
        found << Finding{VerifyWarning,
                         QStringLiteral("Quedó una transacción interrumpida; se deshace al abrir la tabla.")};
    int rc;
    const Db db = openFile(t.file, QStringLiteral("mode=ro"), &rc);
    if (rc != SQLITE_OK)
        return found << Finding{VerifyUnreadable,
                                QStringLiteral("No se puede abrir el archivo: %1").arg(message(db.get()))};

    QList<QStringList> appId, version, columns, indexes;
    if (!queryRows(db.get(), QStringLiteral("PRAGMA application_id"), &appId) ||
        !queryRows(db.get(), QStringLiteral("PRAGMA user_version"), &version) ||
        !queryRows(db.get(), QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(def.tableName)), &columns))
        return found << Finding{
                   VerifyUnreadable,
                   QStringLiteral("No se puede leer la estructura del archivo: %1").arg(message(db.get()))};
    if (appId.value(0).value(0).toInt() != Database::ApplicationId ||
        version.value(0).value(0).toInt() != Database::SchemaVersion)
        found << Finding{VerifyWarning, QStringLiteral("El archivo no lleva la marca de las tablas del programa.")};
    if (columns.isEmpty())
        return found << Finding{VerifyUnreadable,
                                QStringLiteral("El archivo no contiene la tabla %1.").arg(def.tableName)};
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
        throw StoreError(TUCancelled, QStringLiteral("Se detuvo la verificación a pedido del usuario."));
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
            odd << QStringLiteral("typeof(%1) %2")
                       .arg(quoteIdentifier(field.name),
                            isNumeric(field.type) ? QStringLiteral("IN ('text', 'blob')") : QStringLiteral("= 'blob'"));
    }
    QList<QStringList> wrong;
    if (checked && !odd.isEmpty() &&
        queryRows(db.get(),
                  QStringLiteral("SELECT count(*) FROM main.%1 WHERE %2")
                      .arg(quoteIdentifier(def.tableName), odd.join(QStringLiteral(" OR "))),
                  &wrong) &&
        wrong.value(0).value(0).toLongLong() > 0)
        found << Finding{
            VerifyDamaged,
            QStringLiteral("%1 filas tienen valores que sus campos no admiten.").arg(wrong.value(0).value(0))};
    return found;
}

void writeVerifyReport(const QString& path, const TableDef& def, const QList<Finding>& found)
{
    const QString what = QStringLiteral("No se puede escribir el informe de verificación %1").arg(native(path));
    int rc;
    const Db db = openFile(path, QStringLiteral("mode=rwc"), &rc);
    if (rc != SQLITE_OK)
        throw StoreError(FileError, QStringLiteral("%1: %2").arg(what, message(db.get())));
    exec(db.get(),
         QStringLiteral("CREATE TABLE IF NOT EXISTS verify (Tabla TEXT, Fecha TEXT, Nivel INTEGER, Mensaje TEXT)"),
         what);
    exec(db.get(), QStringLiteral("BEGIN"), what);
    Stmt clear = prepare(db.get(), QStringLiteral("DELETE FROM verify WHERE Tabla = ?1"), &rc);
    if (rc == SQLITE_OK) {
        bindText(clear.get(), 1, def.fileName);
        rc = sqlite3_step(clear.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db.get());
    }
    Stmt insert;
    if (rc == SQLITE_OK)  // a clear that failed is not hidden by the next statement
        insert = prepare(db.get(), QStringLiteral("INSERT INTO verify VALUES (?1, ?2, ?3, ?4)"), &rc);
    const QString now = QDateTime::currentDateTime().toString(Qt::ISODate);
    const QList<Finding> rows =
        found.isEmpty() ? QList<Finding>{{VerifyHealthy, QStringLiteral("Sin errores.")}} : found;
    for (int i = 0; rc == SQLITE_OK && i < rows.size(); ++i) {
        sqlite3_reset(insert.get());
        bindText(insert.get(), 1, def.fileName);
        bindText(insert.get(), 2, now);
        checkBind(sqlite3_bind_int(insert.get(), 3, rows[i].level), insert.get());
        bindText(insert.get(), 4, rows[i].text);
        rc = sqlite3_step(insert.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db.get());
    }
    if (rc != SQLITE_OK)
        throw StoreError(FileError, QStringLiteral("%1: %2").arg(what, message(db.get())));
    exec(db.get(), QStringLiteral("COMMIT"), what);
}

}  // namespace store::util
