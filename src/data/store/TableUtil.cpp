#include "TableUtil.h"

#include "Rebuild.h"
#include "StoreError.h"
#include "UtilSession.h"
#include "Verify.h"
#include "data/files/FileOps.h"

#include <sqlite3.h>
#include <QFileInfo>
#include <limits>

namespace store {

using files::native;
using util::call;
using util::checkDriver;
using util::Finding;
using util::report;
using util::resolve;
using util::sessions;
using util::sidePath;
using util::Target;
using util::UtilSession;

// ---------------------------------------------------------------- the calls

int TUInit(TUSession* session, const QList<TableDef>& tables)
{
    if (!session)
        return TUInvalidSession;
    *session = 0;
    if (sqlite3_initialize() != SQLITE_OK)
        return SqlError;
    static TUSession next = 0;
    auto& table = sessions();
    if (table.size() >= std::numeric_limits<TUSession>::max())
        return TUTooManySessions;
    do {
        ++next;
    } while (next == 0 || table.count(next) > 0);
    table.emplace(next, UtilSession{tables, {}, {}, {}});
    *session = next;
    return 0;
}

int TUExit(TUSession session) { return sessions().erase(session) > 0 ? 0 : int(TUInvalidSession); }

QString TUErrorText(TUSession session)
{
    const auto it = sessions().find(session);
    if (it == sessions().end())
        return QStringLiteral("La sesión de la herramienta de tablas no es válida.");
    return it->second.lastError;
}

int TURegisterCallback(TUSession session, int type, ProgressCallback callback)
{
    return call(session, [&](UtilSession& s) {
        if (type != TUCallbackGeneralProgress)
            throw StoreError(TUBadCallback, QStringLiteral("Tipo de aviso desconocido: %1.").arg(type));
        s.progress = std::move(callback);
        return 0;
    });
}

int TUGetRebuildReport(TUSession session, RebuildReport* rebuild)
{
    return call(session, [&](UtilSession& s) {
        if (rebuild)
            *rebuild = s.lastRebuild;
        return 0;
    });
}

int TUFillCURProps(TUSession session, const QString& tablePath, TableProperties* properties)
{
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        const QFileInfo info(t.file);
        if (!info.exists())
            throw StoreError(TableNotFound, QStringLiteral("No se encuentra la tabla %1.").arg(native(t.file)));
        if (properties)
            *properties = {
                t.file,     t.def->tableName, TableDriver, int(t.def->fields.size()), int(t.def->indexes.size()),
                info.size()};
        return 0;
    });
}

int TUVerifyTable(TUSession session, const QString& tablePath, const QString& driver, const QString& reportTable,
                  const QString& password, int options, int* errorLevel)
{
    Q_UNUSED(password);  // our table files have none
    Q_UNUSED(options);
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        checkDriver(driver);
        report(s, 0, QStringLiteral("Verificando %1").arg(t.def->fileName));
        const QList<Finding> found = examine(s, t);
        writeVerifyReport(sidePath(t, reportTable.isEmpty() ? QStringLiteral("VERIFY.DB") : reportTable), *t.def,
                          found);
        int level = VerifyHealthy;
        for (const Finding& f : found)
            level = std::max(level, f.level);
        if (errorLevel)
            *errorLevel = level;
        report(s, 100, QStringLiteral("Verificada %1").arg(t.def->fileName), false);
        return 0;
    });
}

int TUGetCRTblDescCount(TUSession session, const QString& tablePath, quint16* fields, quint16* indexes,
                        quint16* securityRecords, quint16* validityChecks, quint16* referentialRules,
                        quint16* optionalParameters, quint16* optionalDataLength)
{
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        const quint16 counts[] = {quint16(t.def->fields.size()), quint16(t.def->indexes.size()), 0, 0, 0, 0, 0};
        quint16* places[] = {
            fields, indexes, securityRecords, validityChecks, referentialRules, optionalParameters, optionalDataLength};
        for (int i = 0; i < 7; ++i)
            if (places[i])
                *places[i] = counts[i];
        return 0;
    });
}

int TUFillCRTblDesc(TUSession session, TableDescriptor* descriptor, const QString& tablePath, const QString& password)
{
    Q_UNUSED(password);
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        if (!descriptor || descriptor->fields.size() != t.def->fields.size() ||
            descriptor->indexes.size() != t.def->indexes.size())
            throw StoreError(
                TUBadDescriptor,
                QStringLiteral("El lugar reservado no corresponde a la estructura de %1.").arg(t.def->fileName));
        descriptor->fields = t.def->fields;
        descriptor->indexes = t.def->indexes;
        if (descriptor->tableName.isEmpty())
            descriptor->tableName = tablePath;
        if (descriptor->tableType.isEmpty())
            descriptor->tableType = TableDriver;
        return 0;
    });
}

int TURebuildTable(TUSession session, const QString& tablePath, const QString& driver, const QString& backupName,
                   const QString& keyViolName, const QString& problemName, TableDescriptor* descriptor)
{
    return call(session, [&](UtilSession& s) {
        const Target t = resolve(s, tablePath);
        checkDriver(driver);
        if (!descriptor || descriptor->fields.isEmpty())
            throw StoreError(TUBadDescriptor,
                             QStringLiteral("Falta la estructura de la tabla %1.").arg(t.def->fileName));
        for (const FieldDef& f : descriptor->fields)
            if (f.name.trimmed().isEmpty())
                throw StoreError(
                    TUBadDescriptor,
                    QStringLiteral("La estructura de la tabla %1 tiene un campo sin nombre.").arg(t.def->fileName));
        if (backupName.trimmed().isEmpty())
            throw StoreError(FileError, QStringLiteral("Falta el nombre de la copia de %1.").arg(t.def->fileName));
        // The new file is made from the descriptor, under the table's own names.
        TableDef def = *t.def;
        def.fields = descriptor->fields;
        def.indexes = descriptor->indexes;
        const QString errorTable = descriptor->errorTable.isEmpty() ? QString() : sidePath(t, descriptor->errorTable);
        s.lastRebuild = {def.fileName, false, 0, 0, 0, {}};
        return util::rebuildTable(s, t, def, sidePath(t, backupName),
                                  sidePath(t, keyViolName.isEmpty() ? QStringLiteral("KEYVIOL.DB") : keyViolName),
                                  sidePath(t, problemName.isEmpty() ? QStringLiteral("PROBLEM.DB") : problemName),
                                  errorTable);
    });
}

}  // namespace store
