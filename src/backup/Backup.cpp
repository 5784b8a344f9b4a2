#include "Backup.h"

#include "Manifest.h"
#include "ZipFile.h"
#include "data/Prompt.h"
#include "data/Schema.h"
#include "data/store/Database.h"
#include "data/store/FileOps.h"
#include "data/store/RowCheck.h"
#include "data/store/StagedFiles.h"
#include "data/store/StoreError.h"
#include "data/store/TableSnapshot.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QVersionNumber>

namespace backup {

namespace {

const QString Ddjj = QStringLiteral("ddjj");
const QString DdjjPrefix = QStringLiteral("ddjj/");

using store::files::native;

QTemporaryDir& checkedTemporary(QTemporaryDir& dir)
{
    if (!dir.isValid())
        throw store::StoreError(store::FileError,
                                QStringLiteral("No se puede crear una carpeta temporal: %1").arg(dir.errorString()));
    return dir;
}

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        throw store::StoreError(store::FileError, QStringLiteral("No se puede leer %1.").arg(native(path)));
    return hash.result().toHex();
}

// The files of ddjj a backup keeps: not a declaration still under its pending name, which is
// finished or removed by the open of the tables, nor a name no manifest line could hold.
QStringList declarationFiles(const QString& tablesFolder)
{
    QStringList names;
    for (const QString& name :
         QDir(QDir(tablesFolder).filePath(Ddjj)).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (!name.endsWith(QLatin1String(".pendiente")) && !name.contains(QLatin1Char('\n')) &&
            !name.contains(QLatin1Char('\r')))
            names << name;
    return names;
}

qint64 rowsOf(const QString& path, const store::TableDef& def)
{
    const QList<QStringList> rows = store::queryTableFile(
        path, QStringLiteral("SELECT count(*) FROM %1").arg(store::quoteIdentifier(def.tableName)));
    return rows.value(0).value(0).toLongLong();
}

// The agent's name and C.U.I.T. as an agent table file holds them; empty when it holds no row.
std::pair<QString, QString> agentOf(const QString& path)
{
    const QList<QStringList> rows = store::queryTableFile(path, QStringLiteral("SELECT Nombre, Cuit FROM imprenta"));
    return rows.isEmpty() ? std::pair<QString, QString>() : std::pair{rows[0].value(0), rows[0].value(1)};
}

QString targetPath(const QString& target, const QString& name)
{
    if (target.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive) && !QFileInfo(target).isDir()) {
        store::files::makeFolder(QFileInfo(target).absolutePath());
        return target;
    }
    store::files::makeFolder(target);
    // Two backups in the same second must not overwrite each other.
    return store::files::freeName(QDir(target).filePath(QFileInfo(name).completeBaseName()), QStringLiteral(".zip"));
}

// A backup of the tables as they are. asFound: a table that fails the store's checks is kept
// byte for byte, with its journal, and named in the manifest (the copy made before a restore,
// which must keep whatever there was); otherwise it refuses the backup.
QString writeBackup(const QString& tablesFolder, const QString& target, bool asFound)
{
    QTemporaryDir work;
    checkedTemporary(work);
    const QDir tables(tablesFolder);
    QList<store::TableDef> healthy;
    Manifest manifest;
    QList<zip::Entry> entries;
    for (const store::TableDef& def : schema::tables()) {
        const QString path = tables.filePath(def.fileName);
        if (!QFileInfo::exists(path)) {
            if (asFound)
                continue;
            throw store::StoreError(store::TableNotFound,
                                    QStringLiteral("No se encuentra la tabla %1.").arg(native(path)));
        }
        if (!asFound) {
            healthy << def;
            continue;
        }
        // Before a restore the tables are closed: each is checked where it lies.
        try {
            store::Database::checkTableFile(path, def);
            healthy << def;
        } catch (const store::StoreError&) {
            manifest.damaged << def.fileName;
            for (const QString& name : {def.fileName, def.fileName + QStringLiteral("-journal")})
                if (QFileInfo::exists(tables.filePath(name))) {
                    store::files::copyFile(tables.filePath(name), work.filePath(name));
                    entries << zip::Entry{name, work.filePath(name), {}};
                }
        }
    }
    store::snapshotTables(tablesFolder, healthy, work.path());
    // The copies are checked, not the tables, which the program may be writing meanwhile.
    if (!asFound)
        for (const store::TableDef& def : std::as_const(healthy)) {
            const QString copy = work.filePath(def.fileName);
            try {
                store::Database::checkTableFile(copy, def);
            } catch (const store::StoreError& e) {
                throw store::StoreError(e.code(),
                                        QString(e.text()).replace(native(copy), native(tables.filePath(def.fileName))));
            }
        }

    manifest.version = programVersion();
    const QDateTime now = QDateTime::currentDateTime();
    manifest.taken = now.addMSecs(-now.time().msec());
    for (const store::TableDef& def : std::as_const(healthy)) {
        const QString copy = work.filePath(def.fileName);
        manifest.rows.append({def.fileName, rowsOf(copy, def)});
        if (def.tableName == QLatin1String("imprenta"))
            std::tie(manifest.agent, manifest.cuit) = agentOf(copy);
        entries << zip::Entry{def.fileName, copy, {}};
    }
    // Copied first, so that a declaration replaced meanwhile is kept as one whole file.
    const QDir ddjjCopies(work.filePath(Ddjj));
    store::files::makeFolder(ddjjCopies.path());
    for (const QString& name : declarationFiles(tablesFolder)) {
        store::files::copyFile(tables.filePath(DdjjPrefix + name), ddjjCopies.filePath(name));
        entries << zip::Entry{DdjjPrefix + name, ddjjCopies.filePath(name), {}};
    }
    for (const zip::Entry& e : std::as_const(entries))
        manifest.digests.append({e.name, digestOf(e.file)});
    entries.prepend(zip::Entry{ManifestName, {}, manifestText(manifest)});

    const QString path = targetPath(target, fileName(manifest.cuit, manifest.taken));
    zip::write(path, entries);
    return path;
}

QString tableRefusal(const store::StoreError& error, const QString& fileName)
{
    if (error.code() == store::TableDamaged)
        return QStringLiteral("la tabla %1 que contiene está dañada.").arg(fileName);
    return QStringLiteral("la tabla %1 que contiene no es una tabla de este programa o está dañada.").arg(fileName);
}

// Reads the backup into folder (the tables at its top, the declarations in its ddjj) and checks
// everything in it; refuses the backup at the first fault.
Contents unpackChecked(const QString& zipFile, const QString& folder)
{
    QTemporaryDir side;
    checkedTemporary(side);
    const QDir into(folder);
    store::files::makeFolder(into.filePath(Ddjj));
    QSet<QString> tableFiles;
    for (const store::TableDef& def : schema::tables())
        tableFiles << def.fileName;
    const QString manifestFile = side.filePath(ManifestName);

    const QHash<QString, QByteArray> digests = zip::read(zipFile, [&](const QString& name) -> QString {
        if (name == ManifestName)
            return manifestFile;
        if (tableFiles.contains(name))
            return into.filePath(name);
        const QString declaration = name.mid(DdjjPrefix.size());
        if (name.startsWith(DdjjPrefix) && !declaration.isEmpty() && !declaration.contains(QLatin1Char('/')) &&
            !declaration.contains(QLatin1Char('\\')) && declaration != QLatin1String(".") &&
            declaration != QLatin1String(".."))
            return into.filePath(name);
        zip::refuse(zipFile,
                    QStringLiteral("contiene %1, que no es parte de una copia de seguridad del programa.").arg(name));
    });

    QFile text(manifestFile);
    Manifest manifest;
    if (!text.open(QIODevice::ReadOnly))
        zip::refuse(zipFile, QStringLiteral("no tiene el manifiesto (%1): no es una copia de seguridad del programa.")
                                 .arg(ManifestName));
    if (!parseManifest(text.readAll(), &manifest))
        zip::refuse(
            zipFile,
            QStringLiteral("su manifiesto (%1) no es el de una copia de seguridad del programa.").arg(ManifestName));
    const QVersionNumber made = QVersionNumber::fromString(manifest.version);
    if (made.isNull())
        zip::refuse(zipFile, QStringLiteral("su manifiesto no dice con qué versión del programa se hizo."));
    if (made > QVersionNumber::fromString(programVersion()))
        zip::refuse(zipFile, QStringLiteral("se hizo con la versión %1 del programa, más nueva que esta (%2). "
                                            "Actualice el programa para restaurarla.")
                                 .arg(manifest.version, programVersion()));
    if (!manifest.damaged.isEmpty())
        zip::refuse(zipFile, QStringLiteral("es la copia de unas tablas dañadas (%1), guardadas tal como estaban.")
                                 .arg(manifest.damaged.join(QStringLiteral(", "))));
    for (const store::TableDef& def : schema::tables())
        if (!digests.contains(def.fileName))
            zip::refuse(zipFile, QStringLiteral("le falta la tabla %1.").arg(def.fileName));
    QHash<QString, QByteArray> listed;
    for (const auto& [name, digest] : manifest.digests)
        listed.insert(name, digest);
    for (auto it = digests.cbegin(); it != digests.cend(); ++it)
        if (it.key() != ManifestName && listed.value(it.key()) != it.value())
            zip::refuse(zipFile, QStringLiteral("el archivo %1 que contiene está dañado.").arg(it.key()));
    for (auto it = listed.cbegin(); it != listed.cend(); ++it)
        if (!digests.contains(it.key()))
            zip::refuse(zipFile, QStringLiteral("le falta el archivo %1.").arg(it.key()));

    Contents contents;
    contents.file = zipFile;
    contents.version = manifest.version;
    contents.taken = manifest.taken;
    for (const store::TableDef& def : schema::tables()) {
        const QString path = into.filePath(def.fileName);
        // Whose file it is first; then every page, once, by the fuller of SQLite's checks.
        try {
            store::Database::checkTableFile(path, def, store::Database::FileCheck::Layout);
        } catch (const store::StoreError& e) {
            zip::refuse(zipFile, tableRefusal(e, def.fileName));
        }
        if (!store::tableFileIntact(path))
            zip::refuse(zipFile, QStringLiteral("la tabla %1 que contiene está dañada.").arg(def.fileName));
        // Sound pages may still hold a row the program would never write, brought by hand or by
        // another program: restored, it would reach a filed declaration.
        if (const std::optional<store::RowFault> fault = store::firstRowFault(path, def))
            zip::refuse(zipFile,
                        QStringLiteral("la tabla %1 tiene en su fila %2 un valor que el programa no admite: %3")
                            .arg(def.fileName)
                            .arg(fault->row)
                            .arg(fault->why));
        contents.rows.append({def.fileName, rowsOf(path, def)});
    }
    for (const auto& entry : std::as_const(manifest.rows))
        if (!contents.rows.contains(entry))
            zip::refuse(
                zipFile,
                QStringLiteral("la tabla %1 que contiene no tiene las filas que dice su manifiesto.").arg(entry.first));
    std::tie(contents.agent, contents.cuit) = agentOf(into.filePath(QStringLiteral("imprenta.db")));
    const QList<QStringList> last = store::queryTableFile(
        into.filePath(QStringLiteral("Anticipos.db")),
        QStringLiteral("SELECT Anio, Anticipo FROM anticipos ORDER BY Anio DESC, Anticipo DESC LIMIT 1"));
    if (!last.isEmpty())
        contents.lastPeriod = last[0].value(1) + QLatin1Char('/') + last[0].value(0);
    contents.declarations = QDir(into.filePath(Ddjj)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    return contents;
}

QString question(const Contents& contents, const QString& tablesFolder)
{
    QString text = contents.summary();
    // Another agent's tables are not refused (a new machine, a shop that changed hands), but said.
    try {
        const auto [agent, cuit] = agentOf(QDir(tablesFolder).filePath(QStringLiteral("imprenta.db")));
        if (!cuit.isEmpty() && cuit != contents.cuit)
            text += QStringLiteral("\n\nLas tablas actuales son de otro agente: %1 (C.U.I.T. %2).").arg(agent, cuit);
    } catch (const store::StoreError&) {
        // Tables that cannot be read are what a restore is for.
    }
    return text + QStringLiteral(
                      "\n\nLas tablas actuales se reemplazarán por las de la copia; antes se guardará una "
                      "copia de ellas en la carpeta back. ¿Restaurar la copia de seguridad?");
}

}  // namespace

QString programVersion() { return QStringLiteral(TARVENIO_VERSION); }

QString defaultFolder(const QString& tablesFolder) { return QDir(tablesFolder).filePath(QStringLiteral("back")); }

QString fileName(const QString& cuit, const QDateTime& taken)
{
    return QStringLiteral("tarvenio-%1-%2.zip")
        .arg(cuit.isEmpty() ? QStringLiteral("sin-agente") : cuit, taken.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

QString Contents::summary() const
{
    QStringList lines;
    lines << QStringLiteral("Copia de seguridad: %1").arg(native(file));
    lines << QStringLiteral("Hecha el %1 a las %2 (versión %3 del programa)")
                 .arg(taken.toString(QStringLiteral("dd/MM/yyyy")), taken.toString(QStringLiteral("HH:mm:ss")),
                      version);
    lines << (cuit.isEmpty() && agent.isEmpty() ? QStringLiteral("Agente: sin cargar")
                                                : QStringLiteral("Agente: %1 (C.U.I.T. %2)").arg(agent, cuit));
    lines << QStringLiteral("Último anticipo presentado: %1")
                 .arg(lastPeriod.isEmpty() ? QStringLiteral("ninguno") : lastPeriod);
    lines << QStringLiteral("Filas por tabla:");
    for (const auto& [table, count] : rows)
        lines << QStringLiteral("    %1: %2").arg(table).arg(count);
    lines << QStringLiteral("Archivos de la carpeta ddjj: %1").arg(declarations.size());
    return lines.join(QLatin1Char('\n'));
}

QString makeBackup(const QString& tablesFolder, const QString& target)
{
    // A restore a crash stopped is finished first: a backup of half of it would be no state at all.
    store::staged::finish(tablesFolder);
    return writeBackup(tablesFolder, target, false);
}

Contents readBackup(const QString& zipFile)
{
    QTemporaryDir work;
    return unpackChecked(zipFile, checkedTemporary(work).path());
}

RestoreOutcome restoreBackup(const QString& tablesFolder, const QString& zipFile, Prompt& prompt)
{
    RestoreOutcome outcome;
    // An earlier restore a crash stopped is finished first; files left waiting without it go.
    store::staged::finish(tablesFolder);
    const QString staged = store::staged::folderFor(tablesFolder);
    try {
        {
            BusyScope busy(prompt);
            outcome.contents = unpackChecked(zipFile, staged);
        }
        if (prompt.box(question(outcome.contents, tablesFolder), QStringLiteral("Imprentas"), PromptButtons::YesNo,
                       PromptIcon::Question, PromptButton::No) != PromptButton::Yes) {
            store::staged::discard(tablesFolder);
            return outcome;
        }
        BusyScope busy(prompt);
        if (store::Database::holdsAnyTable(tablesFolder, schema::tables()))
            outcome.previous = writeBackup(tablesFolder, defaultFolder(tablesFolder), true);
    } catch (...) {
        store::staged::discard(tablesFolder);
        throw;
    }
    BusyScope busy(prompt);
    store::staged::placeAll(tablesFolder);
    outcome.restored = true;
    return outcome;
}

}  // namespace backup
