#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace store {

enum class FieldType { Text, Int16, Int32, Float, Date, AutoInc };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int width = 0;  // characters, text fields only
    // Number fields: what a typed value may hold (whole-number fields take no decimals).
    int decimals = -1;
    bool negative = true;
};

struct IndexDef {
    QString name;
    QStringList fields;
    bool unique = false;
};

// The data dictionary of one table file.
struct TableDef {
    QString fileName;   // as on disk: "cliente.DB"
    QString tableName;  // the table inside it: "cliente"
    QList<FieldDef> fields;
    QList<IndexDef> indexes;

    const FieldDef* field(const QString& name) const;
    const IndexDef* index(const QString& name) const;
    int fieldIndex(const QString& name) const;  // -1 when unknown; names compare without case
    // Statements that make the table in the given schema; with no schema, as a file's own
    // schema keeps them.
    QString createSql(const QString& schema) const;
    QStringList indexSql(const QString& schema) const;
};

QString sqlType(FieldType type);
QString quoteIdentifier(const QString& name);

}  // namespace store
