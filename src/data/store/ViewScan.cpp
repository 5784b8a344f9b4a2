#include "ViewScan.h"

#include "Dataset.h"
#include "Session.h"

namespace store {

QString ViewScan::select(const Dataset& view, const QStringList& fields, QList<FieldType>& types)
{
    if (!view.active())
        throw StoreError(NotOpen, QStringLiteral("La vista %1 no está abierta.").arg(view.name()));
    const Database& db = view.session()->database();
    const QString table = QStringLiteral("t");
    QStringList columns;
    for (const QString& name : fields) {
        if (const FieldDef* f = view.def().field(name)) {
            columns << table + QLatin1Char('.') + quoteIdentifier(f->name);
            types << f->type;
        } else if (const LookupDef* l = view.lookups().find(name)) {
            columns << view.lookups().expression(db, *l, table);
            types << FieldType::Text;
        } else {
            throw StoreError(FieldNotFound, QStringLiteral("La vista %1 no tiene el campo %2.").arg(view.name(), name));
        }
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2 AS %3")
                      .arg(columns.join(QStringLiteral(", ")), db.qualifiedTable(view.tableName()), table);
    // The filter and the order name the table's own fields, which only the outer table has.
    if (!view.where().sql.isEmpty())
        sql += QStringLiteral(" WHERE ") + view.where().sql;
    return sql + view.orderClause();
}

ViewScan::ViewScan(const Dataset& view, const QStringList& fields)
    : m_stmt(view.session()->database(), select(view, fields, m_types))
{
    const QVariantList& values = view.where().values;
    for (int i = 0; i < values.size(); ++i)
        m_stmt.bind(i + 1, values[i]);
}

}  // namespace store
