#include "ViewScan.h"

#include "Dataset.h"
#include "Session.h"

namespace store {

namespace {

// A lookup read by a join: its key is unique in its table, so the join finds the one row the
// lookup finds, and that table has no field of a name the view's table has, so the filter and
// the order, which name the view's own fields, still name them alone.
bool joinable(const Database& db, const Dataset& view, const LookupDef& l)
{
    if (!l.lookupDataset)
        return false;
    const TableDef& other = db.tableDef(l.lookupDataset->tableName());
    const FieldDef* key = other.field(l.lookupKeyField);
    bool unique = key && key->type == FieldType::AutoInc;
    for (const IndexDef& index : other.indexes)
        unique = unique || (index.unique && index.fields.size() == 1 &&
                            index.fields.first().compare(l.lookupKeyField, Qt::CaseInsensitive) == 0);
    if (!unique)
        return false;
    for (const FieldDef& f : other.fields)
        if (view.def().field(f.name))
            return false;
    return true;
}

}  // namespace

QString ViewScan::select(const Dataset& view, const QStringList& fields, QList<FieldType>& types)
{
    if (!view.active())
        throw notOpenError();
    const Database& db = view.session()->database();
    const QString table = QStringLiteral("t");
    QStringList columns, joins;
    // One join per lookup table and key: the lookups of a row through one key search it once.
    QHash<QString, QString> joinOf;
    for (const QString& name : fields) {
        if (const FieldDef* f = view.def().field(name)) {
            columns << table + QLatin1Char('.') + quoteIdentifier(f->name);
            types << f->type;
        } else if (const LookupDef* l = view.lookups().find(name)) {
            if (joinable(db, view, *l)) {
                const QString key = l->lookupDataset->tableName().toLower() + QLatin1Char('\n') +
                                    l->lookupKeyField.toLower() + QLatin1Char('\n') + l->keyField.toLower();
                QString alias = joinOf.value(key);
                if (alias.isEmpty()) {
                    alias = QStringLiteral("j%1").arg(joinOf.size());
                    joinOf.insert(key, alias);
                    joins << QStringLiteral(" LEFT JOIN %1 AS %2 ON %2.%3 = %4.%5")
                                 .arg(db.qualifiedTable(l->lookupDataset->tableName()), alias,
                                      quoteIdentifier(l->lookupKeyField), table, quoteIdentifier(l->keyField));
                }
                // substr counts characters, as the cut of a lookup's value does.
                QString result = alias + QLatin1Char('.') + quoteIdentifier(l->resultField);
                columns << (l->width > 0 ? QStringLiteral("substr(%1, 1, %2)").arg(result).arg(l->width) : result);
            } else {
                columns << view.lookups().expression(db, *l, table);
            }
            types << FieldType::Text;
        } else {
            throw StoreError(FieldNotFound, QStringLiteral("La vista %1 no tiene el campo %2.").arg(view.name(), name));
        }
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2 AS %3")
                      .arg(columns.join(QStringLiteral(", ")), db.qualifiedTable(view.tableName()), table) +
                  joins.join(QString());
    // The filter names the table's own fields, which only the outer table has; the order names
    // rowid too, which every table has.
    if (!view.where().sql.isEmpty())
        sql += QStringLiteral(" WHERE ") + view.where().sql;
    QStringList order;
    for (const QString& column : view.order().columns)
        order << table + QLatin1Char('.') + column;
    return sql + QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
}

ViewScan::ViewScan(const Dataset& view, const QStringList& fields)
    : m_stmt(view.session()->database(), select(view, fields, m_types))
{
    const QVariantList& values = view.where().values;
    for (int i = 0; i < values.size(); ++i)
        m_stmt.bind(i + 1, values[i]);
}

}  // namespace store
