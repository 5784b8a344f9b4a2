#pragma once

#include "Database.h"
#include "TableDef.h"

#include <QObject>
#include <memory>

namespace store {

class AliasConfig;

// A named store session: it resolves its database name through the alias configuration (or a
// folder given for this run) and owns the one connection its views and queries share. Making it
// inactive closes every view and query on it and drops the connection, so files are looked at
// afresh when it becomes active again.
class Session : public QObject {
    Q_OBJECT
public:
    Session(QString sessionName, QList<TableDef> tables, QList<ReferenceDef> references, QObject* parent = nullptr);
    ~Session() override;

    const QString& sessionName() const { return m_name; }
    void setAliasConfig(AliasConfig* config) { m_config = config; }  // not owned
    AliasConfig* aliasConfig() const { return m_config; }
    void setDatabaseName(const QString& alias) { m_alias = alias; }
    const QString& databaseName() const { return m_alias; }
    // A folder used for this run instead of the alias, which stays untouched.
    void setFolderOverride(const QString& folder) { m_override = folder; }
    const QString& folderOverride() const { return m_override; }

    QString folder() const;  // the physical folder of the database; throws StoreError

    bool active() const { return m_db != nullptr; }
    void setActive(bool active);
    Database& database();  // opens the connection when the session is not active yet

    const QList<TableDef>& tables() const { return m_tables; }
    const TableDef& tableDef(const QString& table) const;

signals:
    void deactivating();

private:
    QString m_name;
    QString m_alias;
    QString m_override;
    AliasConfig* m_config = nullptr;
    QList<TableDef> m_tables;
    QList<ReferenceDef> m_references;
    std::unique_ptr<Database> m_db;
};

}  // namespace store
