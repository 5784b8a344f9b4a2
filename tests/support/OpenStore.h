#pragma once

#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/AliasConfig.h"
#include "data/store/Database.h"

#include <QString>

namespace fixture {

// A data module over a folder of tables, opened as the program opens it at start (a declaration
// left pending by a crash is finished or removed first).
struct OpenStore {
    explicit OpenStore(const QString& folder) : modulo(&config, prompt, folder) { modulo.AbrirTablas(); }
    store::Database& db() { return modulo.Session1_1->database(); }

    qint64 count(const QString& table, const QString& where = QStringLiteral("1"))
    {
        store::Statement stmt(
            db(), QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(db().qualifiedTable(table), where));
        return stmt.step() ? stmt.column(0).toLongLong() : -1;
    }
    qint64 openRows()
    {
        return count(QStringLiteral("detalle"), QStringLiteral("Anio IS NULL")) +
               count(QStringLiteral("maquina"), QStringLiteral("Anio IS NULL"));
    }
    qint64 periods() { return count(QStringLiteral("anticipos")); }

    InstalledPrompt prompt;
    store::AliasConfig config;
    TDModulo modulo;
};

}  // namespace fixture
