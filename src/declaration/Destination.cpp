#include "Destination.h"

#include "data/store/AliasConfig.h"

#include <QDir>
#include <QStorageInfo>

namespace destination {

namespace {

qint64 fileSystemFreeSpace(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return -1;
    QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}

FreeSpaceReader& reader()
{
    static FreeSpaceReader current = fileSystemFreeSpace;
    return current;
}

}  // namespace

bool isDiskette(const QString& destino) { return destino.startsWith(QLatin1String("A:")); }

QString defaultFolder(const QString& aliasFolder)
{
    return QDir::toNativeSeparators(QDir(aliasFolder).filePath(QStringLiteral("ddjj")));
}

FreeSpaceReader setFreeSpaceReader(FreeSpaceReader next)
{
    FreeSpaceReader previous = reader();
    reader() = next ? std::move(next) : FreeSpaceReader(fileSystemFreeSpace);
    return previous;
}

qint64 disketteFreeSpace(const store::AliasConfig* config)
{
    const QString folder = config ? config->driveFolder(QLatin1Char('A')) : QString();
    if (folder.isEmpty())
        return -1;
    return reader()(folder);
}

bool disketteHasRoom(const store::AliasConfig* config) { return disketteFreeSpace(config) > MinimumFreeSpace; }

}  // namespace destination
