#include "Backup.h"

#include "BackupWriter.h"
#include "Manifest.h"
#include "ZipFile.h"
#include "data/files/FileOps.h"
#include "data/files/StagedFiles.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

// The copies made before each piece of work that changes the tables: named for the work, the
// newest kept, and listed beside the backups made by hand.
namespace backup {

namespace {

struct WorkName {
    Work work;
    const char* inName;  // as the copy's name holds it
    const char* told;    // as the clerk reads it
};

const WorkName WorkNames[] = {
    {Work::Filing, "presentacion", "antes de una presentación"},
    {Work::Reissue, "reimpresion", "antes de volver a generar una presentación"},
    {Work::Amendment, "rectificativa", "antes de una rectificativa"},
    {Work::Import, "importacion", "antes de una importación"},
    {Work::Repair, "reparacion", "antes de una reparación"},
    {Work::Restore, "restauracion", "antes de una restauración"},
};

// To the thousandth of a second, so that copies made in one second still sort by their names.
const QString Stamp = QStringLiteral("yyyyMMdd-HHmmss-zzz");

const QString CopyForm = QStringLiteral("^[0-9]{8}-[0-9]{6}-[0-9]{3}-[a-z]+(-[0-9]+)?\\.zip");

QStringList safetyCopies(const QString& folder)
{
    // The names begin with the moment the copy was made: by name is oldest first.
    static const QRegularExpression form(CopyForm + QLatin1Char('$'));
    return QDir(folder).entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name).filter(form);
}

// A copy a crash cut short is left under the temporary name it was written to, beside its own.
void removeUnfinishedCopies(const QString& folder)
{
    static const QRegularExpression form(CopyForm + QStringLiteral("\\.[A-Za-z0-9]{6}$"));
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(form))
        store::files::removeFile(QDir(folder).filePath(name));
}

// Whether a safety copy holds tables a restore would take: its manifest alone is read, which
// names the tables it had to keep as found.
bool wholeCopy(const QString& zipFile)
{
    try {
        const QList<zip::Listed> listed = zip::list(zipFile, MaxManifestLines);
        const auto manifest =
            std::find_if(listed.cbegin(), listed.cend(), [](const zip::Listed& e) { return e.name == ManifestName; });
        if (manifest == listed.cend() || manifest->size > MaxManifestBytes)
            return false;
        Manifest read;
        return parseManifest(zip::readEntry(zipFile, *manifest), &read).isEmpty() && read.damaged.isEmpty();
    } catch (const store::StoreError&) {
        return false;
    }
}

}  // namespace

QString safetyFolder(const QString& tablesFolder)
{
    return QDir(defaultFolder(tablesFolder)).filePath(QStringLiteral("auto"));
}

// The copy itself, on a folder where no restore waits to be finished.
QString safetyCopy(const QString& tablesFolder, Work work)
{
    const auto name = std::find_if(std::cbegin(WorkNames), std::cend(WorkNames),
                                   [work](const WorkName& w) { return w.work == work; });
    try {
        const QString folder = safetyFolder(tablesFolder);
        store::files::makeFolder(folder);
        removeUnfinishedCopies(folder);
        const QString target = QDir(folder).filePath(QDateTime::currentDateTime().toString(Stamp) + QLatin1Char('-') +
                                                     QLatin1String(name->inName) + QStringLiteral(".zip"));
        // Every page is read before a repair or a restore, which are for tables in doubt; before
        // other work the tables have passed the open's checks and their layout is enough.
        const bool inDoubt = work == Work::Repair || work == Work::Restore;
        const QString written = writeBackup(
            tablesFolder, target,
            Taking{true, inDoubt ? store::Database::FileCheck::Full : store::Database::FileCheck::Layout, false, 1});
        QStringList copies = safetyCopies(folder);
        while (copies.size() > KeptSafetyCopies)
            store::files::removeFile(QDir(folder).filePath(copies.takeFirst()));
        return written;
    } catch (const store::StoreError& e) {
        throw store::StoreError(e.code(), QStringLiteral("No se pudo hacer la copia de seguridad automática %1: %2 "
                                                         "No se cambió nada.")
                                              .arg(QString::fromUtf8(name->told), e.text()));
    }
}

QString makeSafetyCopy(const QString& tablesFolder, Work work)
{
    // A restore a crash stopped is finished first: a copy of half of it would be no state at all.
    store::staged::finish(tablesFolder);
    return safetyCopy(tablesFolder, work);
}

QList<Found> backupsBeside(const QString& tablesFolder)
{
    QList<Found> found;
    const QDir byHand(defaultFolder(tablesFolder));
    for (const QFileInfo& info : byHand.entryInfoList({QStringLiteral("*.zip")}, QDir::Files))
        found << Found{info.filePath(), info.lastModified(), {}};
    const QDir safety(safetyFolder(tablesFolder));
    for (const QString& name : safetyCopies(safety.path())) {
        const QDateTime taken = QDateTime::fromString(name.left(Stamp.size()), Stamp);
        const QString work = name.mid(Stamp.size() + 1).section(QLatin1Char('.'), 0, 0).section(QLatin1Char('-'), 0, 0);
        const auto w = std::find_if(std::cbegin(WorkNames), std::cend(WorkNames),
                                    [&](const WorkName& n) { return work == QLatin1String(n.inName); });
        if (taken.isValid() && w != std::cend(WorkNames))
            found << Found{safety.filePath(name), taken, QString::fromUtf8(w->told), wholeCopy(safety.filePath(name))};
    }
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.taken > b.taken; });
    return found;
}

}  // namespace backup
