#include "TableDef.h"

namespace store {

QString quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString sqlType(FieldType type)
{
    switch (type) {
    case FieldType::Text:
    case FieldType::Date:
        return QStringLiteral("TEXT");
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::AutoInc:
        return QStringLiteral("INTEGER");
    case FieldType::Float:
        return QStringLiteral("REAL");
    }
    return QStringLiteral("TEXT");
}

// "schema." before a name, or nothing for the unqualified text SQLite keeps in a file's schema.
static QString qualifier(const QString& schema)
{
    return schema.isEmpty() ? QString() : quoteIdentifier(schema) + QLatin1Char('.');
}

int TableDef::fieldIndex(const QString& name) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const FieldDef* TableDef::field(const QString& name) const
{
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : &fields[i];
}

const IndexDef* TableDef::index(const QString& name) const
{
    for (const IndexDef& idx : indexes)
        if (idx.name.compare(name, Qt::CaseInsensitive) == 0)
            return &idx;
    return nullptr;
}

QString TableDef::createSql(const QString& schema) const
{
    QStringList columns;
    for (const FieldDef& f : fields) {
        QString column = quoteIdentifier(f.name) + QLatin1Char(' ') + sqlType(f.type);
        if (f.type == FieldType::AutoInc)
            column += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
        columns << column;
    }
    return QStringLiteral("CREATE TABLE %1%2 (%3)")
        .arg(qualifier(schema), quoteIdentifier(tableName), columns.join(QStringLiteral(", ")));
}

QStringList TableDef::indexSql(const QString& schema) const
{
    QStringList statements;
    for (const IndexDef& idx : indexes) {
        QStringList cols;
        for (const QString& f : idx.fields)
            cols << quoteIdentifier(f);
        statements << QStringLiteral("CREATE %1INDEX %2%3 ON %4 (%5)")
                          .arg(idx.unique ? QStringLiteral("UNIQUE ") : QString(), qualifier(schema),
                               quoteIdentifier(idx.name), quoteIdentifier(tableName), cols.join(QStringLiteral(", ")));
    }
    return statements;
}

}  // namespace store
