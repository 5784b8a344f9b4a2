#include "FiledFiles.h"

#include "Destination.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/FileOps.h"
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
    // Declaration files are small; a chunk at a time keeps a stray large one cheap all the same.
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

QString keepFiledFile(const QString& tablesFolder, const QString& written, qint64 amendment)
{
    const QString folder = archiveFolder(tablesFolder);
    store::files::makeFolder(folder);
    const QString name = archiveName(QFileInfo(written).fileName(), amendment);
    QString target = QDir(folder).filePath(name);
    if (QFileInfo::exists(target)) {
        if (sameBytes(written, target))
            return target;
        const QFileInfo info(target);
        target =
            store::files::freeName(QDir(folder).filePath(info.completeBaseName()), QLatin1Char('.') + info.suffix());
    }
    store::files::copyFile(written, target);
    return target;
}

QString keepFiledFile(TDModulo& m, Prompt& prompt, const QString& written)
{
    try {
        const qint64 amendment = qRound64(m.TAnticipos->asFloat(QStringLiteral("Rectificativa")));
        return keepFiledFile(m.aliasFolder(), written, amendment);
    } catch (const store::StoreError& e) {
        prompt.error(e.text() + QStringLiteral(" La presentación quedó hecha; solo no se guardó su copia en la "
                                               "carpeta %1.")
                                    .arg(QDir::toNativeSeparators(QStringLiteral("ddjj/archivo"))));
        return {};
    }
}

}  // namespace filed
