#include "StagedFiles.h"

#include "FileOps.h"
#include "FolderLock.h"
#include "SystemError.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace store::staged {

namespace {

const QString FolderName = QStringLiteral("restauracion-en-curso");
const QString Ddjj = QStringLiteral("ddjj");
// The declarations and the folder below them where every filed file is kept.
const QStringList DdjjFolders{Ddjj, QStringLiteral("ddjj/archivo")};

QStringList filesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

void moveInto(const QString& from, const QString& toFolder, const QString& name)
{
    const QString target = QDir(toFolder).filePath(name);
    // A journal of the old file would be played back onto the new one at its first open.
    files::removeFile(target + QStringLiteral("-journal"));
    if (QFileInfo::exists(target))
        files::copyPermissions(target, from);
    files::replaceFile(from, target, QStringLiteral("No se puede poner en su lugar el archivo %1: %2"));
}

// Renames whatever still waits into place: run again after a crash, it goes on where it stopped.
void carryOut(const QString& tablesFolder)
{
    const QString staged = folderFor(tablesFolder);
    for (const QString& name : filesIn(staged))
        moveInto(QDir(staged).filePath(name), tablesFolder, name);
    for (const QString& folder : DdjjFolders) {
        const QString from = QDir(staged).filePath(folder);
        const QString into = QDir(tablesFolder).filePath(folder);
        const QStringList declarations = filesIn(from);
        if (!declarations.isEmpty())
            files::makeFolder(into);
        for (const QString& name : declarations)
            moveInto(QDir(from).filePath(name), into, name);
    }
    files::removeFile(markerFor(tablesFolder));
    files::syncFolder(tablesFolder);
    QDir(staged).removeRecursively();
}

}  // namespace

QString folderFor(const QString& tablesFolder) { return QDir(tablesFolder).filePath(FolderName); }

QString markerFor(const QString& tablesFolder)
{
    return QDir(tablesFolder).filePath(FolderName + QStringLiteral(".marca"));
}

void placeAll(const QString& tablesFolder)
{
    const FolderLock lock(tablesFolder);
    const QString marker = markerFor(tablesFolder);
    // The waiting files reach the disk before the marker that commits to them.
    for (const QString& folder : DdjjFolders)
        files::syncFolder(QDir(folderFor(tablesFolder)).filePath(folder));
    files::syncFolder(folderFor(tablesFolder));
    QFile file(marker);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(FolderName.toUtf8() + '\n') < 0 ||
        !files::syncFile(file))
        throw StoreError(FileError, QStringLiteral("No se puede escribir el archivo %1: %2")
                                        .arg(files::native(marker), fileErrorReason(file, marker)));
    file.close();
    files::syncFolder(tablesFolder);
    carryOut(tablesFolder);
}

void finish(const QString& tablesFolder)
{
    if (!QFileInfo(tablesFolder).isDir())
        return;  // nothing waits in a folder that is not there
    const FolderLock lock(tablesFolder);
    if (QFileInfo::exists(markerFor(tablesFolder)))
        carryOut(tablesFolder);
    else
        discard(tablesFolder);
}

void discard(const QString& tablesFolder)
{
    const QString staged = folderFor(tablesFolder);
    if (QFileInfo::exists(staged) && !QDir(staged).removeRecursively())
        throw StoreError(FileError, QStringLiteral("No se puede borrar la carpeta %1").arg(files::native(staged)));
}

}  // namespace store::staged
