#include "FiledFiles.h"

#include "Destination.h"
#include "data/files/FileOps.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace filed {

namespace {

bool sameBytes(const QString& a, const QString& b)
{
    QFile one(a), two(b);
    if (!one.open(QIODevice::ReadOnly) || !two.open(QIODevice::ReadOnly) || one.size() != two.size())
        return false;
    // A chunk at a time: a large period's file is hundreds of megabytes.
    for (;;) {
        const QByteArray x = one.read(1 << 16), y = two.read(1 << 16);
        if (x != y)
            return false;
        if (x.isEmpty())
            return one.error() == QFileDevice::NoError && two.error() == QFileDevice::NoError;
    }
}

}  // namespace

QString archiveFolder(const QString& tablesFolder)
{
    return QDir(destination::defaultFolder(tablesFolder)).filePath(QStringLiteral("archivo"));
}

QString archiveName(const QString& fileName, qint64 amendment)
{
    if (amendment <= 0)
        return fileName;
    const QFileInfo name(fileName);
    return QStringLiteral("%1-R%2.%3").arg(name.completeBaseName()).arg(amendment).arg(name.suffix());
}

ArchivePlace archivePlace(const QString& tablesFolder, const QString& written, qint64 amendment,
                          const QString& fileName)
{
    const QFileInfo name(archiveName(fileName.isEmpty() ? QFileInfo(written).fileName() : fileName, amendment));
    const QString stem = QDir(archiveFolder(tablesFolder)).filePath(name.completeBaseName());
    const QString suffix = QLatin1Char('.') + name.suffix();
    // The copies of one filing's name, in the order freeName gives them, up to the first free one.
    QString target = stem + suffix;
    for (int n = 2; QFileInfo::exists(target); ++n) {
        if (sameBytes(written, target))
            return {target, true};
        target = stem + QStringLiteral("-%1").arg(n) + suffix;
    }
    return {target, false};
}

}  // namespace filed
