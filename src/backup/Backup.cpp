#include "Backup.h"

#include "BackupWriter.h"
#include "Manifest.h"
#include "ZipFile.h"
#include "data/Prompt.h"
#include "data/Schema.h"
#include "data/files/FileOps.h"
#include "data/files/StagedFiles.h"
#include "data/store/Database.h"
#include "data/store/RowCheck.h"
#include "data/store/StoreError.h"
#include "data/store/TableEncoding.h"
#include "data/store/TableSnapshot.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QVersionNumber>
#include <algorithm>

namespace backup {

namespace {

const QString Ddjj = QStringLiteral("ddjj");
const QString Archive = QStringLiteral("ddjj/archivo");

// A backup's own folder beside the tables may hold this many copies and a little more; the
// entries of a backup are the six tables, the manifest and the files of ddjj.
const qint64 SpareBytes = 16 << 20;

qint64 fileSystemFreeSpace(const QString& folder)
{
    QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}

FreeSpaceReader& freeSpaceReader()
{
    static FreeSpaceReader current = fileSystemFreeSpace;
    return current;
}

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

// A file of ddjj or of its archivo as a backup names it, "ddjj/<name>" or "ddjj/archivo/<name>":
// a plain name a folder can hold, not hidden, not a declaration still pending nor a backup.
bool isDeclarationEntry(const QString& entry)
{
    QString name;
    if (entry.startsWith(Archive + QLatin1Char('/')))
        name = entry.mid(Archive.size() + 1);
    else if (entry.startsWith(Ddjj + QLatin1Char('/')))
        name = entry.mid(Ddjj.size() + 1);
    else
        return false;
    if (name.isEmpty() || name.size() > 120 || name.toUtf8().size() > 240 || name.startsWith(QLatin1Char('.')) ||
        name.endsWith(QLatin1String(".pendiente")) || name.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive) ||
        entry == Archive)
        return false;
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control || c.isNull();
    });
}

// The journal of a table, kept only in the copy of damaged tables made before a restore.
bool isJournalOf(const QSet<QString>& tableFiles, const QString& name)
{
    return name.endsWith(QLatin1String("-journal")) && tableFiles.contains(name.chopped(8));
}

// The files of ddjj and of its archivo a backup keeps, by entry name: not a declaration still
// under its pending name, which is finished or removed by the open of the tables, not a backup
// (a backup of backups would grow with each one), nor a name a restore would refuse.
QStringList declarationFiles(const QString& tablesFolder)
{
    QStringList names;
    for (const QString& folder : {Ddjj, Archive})
        for (const QString& name :
             QDir(QDir(tablesFolder).filePath(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            const QString entry = folder + QLatin1Char('/') + name;
            if (isDeclarationEntry(entry))
                names << entry;
        }
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

// Where the backup goes: never over an existing file, and never into a chain of folders made up
// along a mistyped path, which would put the clerk's only copy on the wrong disk: the folder that
// takes the backup may be made, its parent must exist.
QString targetPath(const QString& target, const QString& name)
{
    const QFileInfo info(target);
    const bool zipName = target.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive) && !info.isDir();
    const QString folder = zipName ? info.absolutePath() : info.absoluteFilePath();
    if (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (!QFileInfo(parent).isDir())
            throw store::StoreError(
                store::FileError,
                QStringLiteral("No existe la carpeta %1: la copia de seguridad no se hizo.").arg(native(parent)));
        store::files::makeFolder(folder);
    }
    if (zipName)
        return store::files::freeName(target.chopped(4), target.right(4));
    // Two backups in the same second must not overwrite each other.
    return store::files::freeName(QDir(target).filePath(QFileInfo(name).completeBaseName()), QStringLiteral(".zip"));
}

}  // namespace

QString writeBackup(const QString& tablesFolder, const QString& target, const Taking& taking)
{
    const bool asFound = taking.asFound;
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
            store::Database::checkTableFile(path, def, taking.depth);
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
    store::files::makeFolder(work.filePath(Archive));
    for (const QString& name : taking.declarations ? declarationFiles(tablesFolder) : QStringList()) {
        store::files::copyFile(tables.filePath(name), work.filePath(name));
        entries << zip::Entry{name, work.filePath(name), {}};
    }
    for (const zip::Entry& e : std::as_const(entries))
        manifest.files.append({e.name, QFileInfo(e.file).size(), digestOf(e.file)});
    entries.prepend(zip::Entry{ManifestName, {}, manifestText(manifest)});
    const QString path = targetPath(target, fileName(manifest.cuit, manifest.taken));
    zip::write(path, entries, taking.level);
    return path;
}

namespace {

QString tableRefusal(const store::StoreError& error, const QString& fileName)
{
    if (error.code() == store::TableDamaged)
        return QStringLiteral("la tabla %1 que contiene está dañada.").arg(fileName);
    return QStringLiteral("la tabla %1 que contiene no es una tabla de este programa o está dañada.").arg(fileName);
}

// Reads the backup into folder (the tables at its top, the declarations in its ddjj) and checks
// everything in it; refuses the backup at the first fault. What the zip lists and what its
// manifest says are checked against each other before a byte of a table is inflated, and the
// room they need against the free space of folder less reserve: a hostile zip costs a moment,
// a little memory and no disk.
Contents unpackChecked(const QString& zipFile, const QString& folder, qint64 reserve)
{
    const QDir into(folder);
    QSet<QString> tableFiles;
    for (const store::TableDef& def : schema::tables())
        tableFiles << def.fileName;

    const QList<zip::Listed> listed = zip::list(zipFile, MaxManifestLines);
    const zip::Listed* manifestEntry = nullptr;
    for (const zip::Listed& e : listed) {
        if (e.name == ManifestName)
            manifestEntry = &e;
        else if (!tableFiles.contains(e.name) && !isDeclarationEntry(e.name) && !isJournalOf(tableFiles, e.name))
            zip::refuse(zipFile, QStringLiteral("contiene %1, que no es parte de una copia de seguridad del programa.")
                                     .arg(e.name.left(120)));
    }
    if (!manifestEntry)
        zip::refuse(zipFile, QStringLiteral("no tiene el manifiesto (%1): no es una copia de seguridad del programa.")
                                 .arg(ManifestName));
    if (manifestEntry->size > MaxManifestBytes)
        zip::refuse(zipFile, QStringLiteral("su manifiesto (%1) es más grande que el de cualquier copia del programa.")
                                 .arg(ManifestName));
    Manifest manifest;
    const QString manifestFault = parseManifest(zip::readEntry(zipFile, *manifestEntry), &manifest);
    // A newer program's backup is told as such, whatever else its manifest says.
    if (plainVersion(manifest.version) &&
        QVersionNumber::fromString(manifest.version) > QVersionNumber::fromString(programVersion()))
        zip::refuse(zipFile, QStringLiteral("se hizo con la versión %1 del programa, más nueva que esta (%2). "
                                            "Actualice el programa para restaurarla.")
                                 .arg(manifest.version, programVersion()));
    if (!manifestFault.isEmpty())
        zip::refuse(zipFile, QStringLiteral("su manifiesto (%1) %2: no es el de una copia de seguridad del programa.")
                                 .arg(ManifestName, manifestFault));
    if (!manifest.damaged.isEmpty())
        zip::refuse(zipFile, QStringLiteral("es la copia de unas tablas dañadas (%1), guardadas tal como estaban.")
                                 .arg(manifest.damaged.join(QStringLiteral(", "))));

    for (const zip::Listed& e : listed)
        if (isJournalOf(tableFiles, e.name))
            zip::refuse(
                zipFile,
                QStringLiteral("contiene %1, que no es parte de una copia de seguridad del programa.").arg(e.name));

    // The zip's list and the manifest's must be one: same names, same sizes.
    QHash<QString, ManifestFile> said;
    for (const ManifestFile& f : std::as_const(manifest.files))
        said.insert(f.name, f);
    qint64 total = 0;
    QList<zip::Listed> expected;
    for (const zip::Listed& e : listed) {
        if (&e == manifestEntry)
            continue;
        const auto it = said.constFind(e.name);
        if (it == said.cend())
            zip::refuse(zipFile, QStringLiteral("contiene %1, que su manifiesto no nombra.").arg(e.name));
        if (it->size != e.size)
            zip::refuse(
                zipFile,
                QStringLiteral("el archivo %1 que contiene no tiene el tamaño que dice su manifiesto.").arg(e.name));
        total += e.size;
        expected << e;
    }
    for (const store::TableDef& def : schema::tables())
        if (!said.contains(def.fileName))
            zip::refuse(zipFile, QStringLiteral("le falta la tabla %1.").arg(def.fileName));
    for (const ManifestFile& f : std::as_const(manifest.files))
        if (!std::any_of(listed.cbegin(), listed.cend(), [&](const zip::Listed& e) { return e.name == f.name; }))
            zip::refuse(zipFile, QStringLiteral("le falta el archivo %1.").arg(f.name));

    store::files::makeFolder(into.filePath(Archive));
    const qint64 free = freeSpaceReader()(folder);
    if (free >= 0 && total + reserve + SpareBytes > free)
        throw store::StoreError(
            store::FileError,
            QStringLiteral("No hay lugar en el disco para restaurar la copia de seguridad %1: hacen falta %2 MB y "
                           "quedan %3 MB libres.")
                .arg(native(zipFile))
                .arg((total + reserve + SpareBytes) >> 20)
                .arg(free >> 20));

    zip::extract(
        zipFile, listed, [&](const QString& name) { return name == ManifestName ? QString() : into.filePath(name); },
        [&](const QString& name, const QByteArray& digest) {
            if (said.value(name).digest != digest)
                zip::refuse(zipFile, QStringLiteral("el archivo %1 que contiene está dañado.").arg(name));
        });

    Contents contents;
    contents.file = zipFile;
    contents.version = manifest.version;
    contents.taken = manifest.taken;
    for (const store::TableDef& def : schema::tables()) {
        const QString path = into.filePath(def.fileName);
        // Whose file it is first; then every page, once, by the fuller of SQLite's checks.
        const QString encoding = store::foreignTextEncoding(path);
        if (!encoding.isEmpty())
            zip::refuse(zipFile,
                        QStringLiteral("la tabla %1 que contiene guarda sus textos en %2, no en UTF-8 como las "
                                       "de este programa.")
                            .arg(def.fileName, encoding));
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
    for (const zip::Listed& e : std::as_const(expected))
        if (isDeclarationEntry(e.name))
            contents.declarations << e.name.mid(Ddjj.size() + 1);
    contents.declarations.sort();
    return contents;
}

qint64 tablesSize(const QString& tablesFolder)
{
    qint64 size = 0;
    for (const store::TableDef& def : schema::tables())
        size += QFileInfo(QDir(tablesFolder).filePath(def.fileName)).size();
    return size;
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
                      "copia de ellas en la carpeta %1. ¿Restaurar la copia de seguridad?")
                      .arg(QDir::toNativeSeparators(QStringLiteral("back/auto")));
}

}  // namespace

QString programVersion() { return QStringLiteral(TARVENIO_VERSION); }

FreeSpaceReader setFreeSpaceReader(FreeSpaceReader next)
{
    FreeSpaceReader previous = freeSpaceReader();
    freeSpaceReader() = next ? std::move(next) : FreeSpaceReader(fileSystemFreeSpace);
    return previous;
}

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
    return writeBackup(tablesFolder, target, Taking{});
}

Contents readBackup(const QString& zipFile)
{
    QTemporaryDir work;
    return unpackChecked(zipFile, checkedTemporary(work).path(), 0);
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
            // The tables as they are go to back/ first: room for a copy of them is kept.
            outcome.contents = unpackChecked(zipFile, staged, tablesSize(tablesFolder));
        }
        if (prompt.box(question(outcome.contents, tablesFolder), QStringLiteral("Imprentas"), PromptButtons::YesNo,
                       PromptIcon::Question, PromptButton::No) != PromptButton::Yes) {
            store::staged::discard(tablesFolder);
            return outcome;
        }
        BusyScope busy(prompt);
        if (store::Database::holdsAnyTable(tablesFolder, schema::tables()))
            outcome.previous = safetyCopy(tablesFolder, Work::Restore);
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
