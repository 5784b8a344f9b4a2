#include "Session.h"

#include "AliasConfig.h"
#include "StoreError.h"

namespace store {

Session::Session(QString sessionName, QList<TableDef> tables, QList<ReferenceDef> references, QObject* parent)
    : QObject(parent), m_name(std::move(sessionName)), m_tables(std::move(tables)), m_references(std::move(references))
{
    setObjectName(m_name);
}

Session::~Session() = default;

QString Session::folder() const
{
    if (!m_override.isEmpty())
        return m_override;
    if (!m_config)
        throw StoreError(AliasError, QStringLiteral("No hay configuración de la base de datos."));
    return m_config->path(m_alias);
}

void Session::setActive(bool active)
{
    if (active) {
        database();
        return;
    }
    if (!m_db)
        return;
    emit deactivating();
    m_db.reset();
}

Database& Session::database()
{
    if (!m_db)
        m_db = std::make_unique<Database>(folder(), m_tables, m_references);
    return *m_db;
}

const TableDef& Session::tableDef(const QString& table) const
{
    for (const TableDef& def : m_tables)
        if (def.tableName.compare(table, Qt::CaseInsensitive) == 0)
            return def;
    throw StoreError(TableNotFound, QStringLiteral("La tabla %1 no existe.").arg(table));
}

}  // namespace store
