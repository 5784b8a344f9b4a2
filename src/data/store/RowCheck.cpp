#include "RowCheck.h"

#include "SqliteFile.h"
#include "StoreError.h"
#include "StoredValue.h"
#include "data/files/FileOps.h"

#include <sqlite3.h>
#include <QStringList>

#include <algorithm>

namespace store {

namespace {

pages::Value valueOf(sqlite3_stmt* stmt, int column)
{
    pages::Value value;
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        value.kind = pages::Value::Integer;
        value.integer = sqlite3_column_int64(stmt, column);
        break;
    case SQLITE_FLOAT:
        value.kind = pages::Value::Real;
        value.real = sqlite3_column_double(stmt, column);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        value.kind = sqlite3_column_type(stmt, column) == SQLITE_TEXT ? pages::Value::Text : pages::Value::Blob;
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        value.bytes = QByteArray(bytes, sqlite3_column_bytes(stmt, column));
        break;
    }
    default:
        value.kind = pages::Value::Null;
    }
    return value;
}

// A line break inside a value would split a record of the declaration file in two.
QString lineBreak(const FieldDef& field, const pages::Value& value)
{
    if (field.type != FieldType::Text || value.kind != pages::Value::Text)
        return {};
    if (value.bytes.contains('\r') || value.bytes.contains('\n'))
        return QStringLiteral("El campo %1 tiene un salto de línea.").arg(field.shownName());
    return {};
}

StoreError unreadable(const QString& path, sqlite3* db)
{
    return StoreError(TableDamaged,
                      QStringLiteral("No se puede leer la tabla %1: %2").arg(files::native(path), sqlite::message(db)));
}

}  // namespace

std::optional<RowFault> firstRowFault(const QString& path, const TableDef& def)
{
    int rc;
    sqlite::Db db = sqlite::openFile(path, QStringLiteral("mode=ro"), &rc);
    if (rc != SQLITE_OK)
        throw unreadable(path, db.get());
    QStringList columns{QStringLiteral("rowid")};
    for (const FieldDef& field : def.fields)
        columns << quoteIdentifier(field.name);
    sqlite::Stmt stmt = sqlite::prepare(
        db.get(),
        QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QLatin1Char(',')), quoteIdentifier(def.tableName)), &rc);
    if (rc != SQLITE_OK)
        throw unreadable(path, db.get());
    // A table without a row number of its own is known by its unique key, which must be there.
    QList<int> key;
    const bool numbered = std::any_of(def.fields.cbegin(), def.fields.cend(),
                                      [](const FieldDef& f) { return f.type == FieldType::AutoInc; });
    for (const IndexDef& index : def.indexes)
        if (index.unique && !numbered && key.isEmpty())
            for (const QString& name : index.fields)
                key << def.fieldIndex(name);
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        const qint64 row = sqlite3_column_int64(stmt.get(), 0);
        for (int i = 0; i < def.fields.size(); ++i) {
            const FieldDef& field = def.fields[i];
            const pages::Value value = valueOf(stmt.get(), i + 1);
            QString why = pages::fieldFault(field, value);
            if (why.isEmpty())
                why = lineBreak(field, value);
            if (why.isEmpty() && key.contains(i) && value.kind == pages::Value::Null)
                why = QStringLiteral("Falta la clave %1.").arg(field.shownName());
            if (!why.isEmpty())
                return RowFault{row, field.shownName(), why};
        }
    }
    if (rc != SQLITE_DONE)
        throw unreadable(path, db.get());
    return std::nullopt;
}

}  // namespace store
