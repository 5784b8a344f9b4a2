#include "TableRepair.h"

#include "TBDEUtil.h"
#include "backup/Backup.h"
#include "data/Prompt.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace tablerepair {

QStringList tableBases()
{
    return {QStringLiteral("Anticipos"),   QStringLiteral("Cliente"),  QStringLiteral("Detalle"),
            QStringLiteral("Formularios"), QStringLiteral("Imprenta"), QStringLiteral("Maquina")};
}

TableOutcome repairTable(TBDEUtil& util, Prompt& prompt, const QString& folder, const QString& base)
{
    const QDir dir(folder);
    const QString path = QDir::toNativeSeparators(dir.filePath(base));
    util.tableProperties(path);
    const QString backupFolder = QDir::toNativeSeparators(dir.filePath(QStringLiteral("back"))) + QDir::separator();
    util.restart();

    const ProgressRegistration progress(util);
    const store::TUSession session = util.session();
    int errorLevel = 0;
    util.check(store::TUVerifyTable(session, path, store::TableDriver, QStringLiteral("VERIFY.DB"), QString(), 0,
                                    &errorLevel));

    const TableOutcome notRebuilt{
        false, QStringLiteral("%1: no se pudo reconstruir; el archivo quedó como estaba.").arg(base)};
    quint16 fields = 0, indexes = 0, security = 0, validity = 0, referential = 0, optional = 0, optionalLength = 0;
    if (store::TUGetCRTblDescCount(session, path, &fields, &indexes, &security, &validity, &referential, &optional,
                                   &optionalLength) != 0)
        return notRebuilt;
    store::TableDescriptor descriptor;
    descriptor.tableName = path;
    descriptor.tableType = store::TableDriver;
    descriptor.errorTable = QStringLiteral("Rebuild.DB");
    descriptor.fields.resize(fields);
    descriptor.indexes.resize(indexes);
    if (store::TUFillCRTblDesc(session, &descriptor, path, QString()) != 0) {
        prompt.dialog(PromptIcon::Error, QStringLiteral("Error Filling table structure"), PromptButtons::Ok);
        return notRebuilt;
    }
    const int result =
        store::TURebuildTable(session, path, store::TableDriver, backupFolder + base + QStringLiteral("_BK.db"),
                              QStringLiteral("KEYVIOL.DB"), QStringLiteral("PROBLEM.DB"), &descriptor);
    store::RebuildReport rebuilt;
    store::TUGetRebuildReport(session, &rebuilt);
    return {result == 0, !rebuilt.text.isEmpty()
                             ? rebuilt.text
                             : QStringLiteral("%1: no se pudo reconstruir (%2); el archivo quedó como estaba.")
                                   .arg(base, store::TUErrorText(session))};
}

QString wayBack(const QString& folder)
{
    QString text = QStringLiteral(
        "Para volver a unas tablas sanas, restaure una copia de seguridad con Herramientas "
        "/ Restaurar Copia….");
    // The newest automatic copy that a restore takes: the one made before this very repair
    // kept the damaged tables as they were.
    const QList<backup::Found> found = folder.isEmpty() ? QList<backup::Found>() : backup::backupsBeside(folder);
    const auto latest = std::find_if(found.cbegin(), found.cend(),
                                     [](const backup::Found& f) { return !f.reason.isEmpty() && f.restorable; });
    if (latest != found.cend())
        text += QStringLiteral(" La copia automática más reciente es %1.").arg(QDir::toNativeSeparators(latest->file));
    return text;
}

void repairAll(TBDEUtil& util, Prompt& prompt, const QString& folder, RunOutcome& run, const RunHooks& hooks)
{
    backup::makeSafetyCopy(folder, backup::Work::Repair);
    const QStringList bases = tableBases();
    for (int i = 0; i < bases.size(); ++i) {
        if (hooks.starting)
            hooks.starting(i, bases[i]);
        const TableOutcome outcome = repairTable(util, prompt, folder, bases[i]);
        run.repaired += outcome.repaired;
        run.report << outcome.report;
        if (hooks.done)
            hooks.done(outcome);
    }
}

}  // namespace tablerepair
