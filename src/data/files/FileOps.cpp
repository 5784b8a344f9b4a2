#include "FileOps.h"

#include "SystemError.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace store::files {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

std::filesystem::path fsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

void syncFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

bool syncFile(QFile& file)
{
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

void replaceFile(const QString& from, const QString& to, const QString& failure)
{
    std::error_code error;
    std::filesystem::rename(fsPath(from), fsPath(to), error);
    if (error)
        throw StoreError(FileError, failure.arg(native(to), systemErrorReason(error.value())));
    syncFolder(QFileInfo(to).absolutePath());
}

void copyPermissions(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(from).constData(), &status) == 0)
        ::chmod(QFile::encodeName(to).constData(), status.st_mode & 07777);
#else
    QFile::setPermissions(to, QFileInfo(from).permissions());
#endif
}

void removeFile(const QString& path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw StoreError(FileError, QStringLiteral("No se puede borrar el archivo %1.").arg(native(path)));
}

namespace {

StoreError copyFailed(const QFileDevice& out, const QString& to)
{
    return StoreError(FileError,
                      QStringLiteral("No se puede escribir la copia %1: %2").arg(native(to), fileErrorReason(out, to)));
}

void copyBytes(const QString& from, QFileDevice& out, const QString& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw readFailed(in, from);
    for (;;) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty())
            break;
        if (out.write(chunk) != chunk.size())
            throw copyFailed(out, to);
    }
    if (in.error() != QFileDevice::NoError)
        throw readFailed(in, from);
}

}  // namespace

void copyFile(const QString& from, const QString& to)
{
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        throw copyFailed(out, to);
    copyBytes(from, out, to);
    if (!out.commit())
        throw copyFailed(out, to);
}

void copyToPending(const QString& from, const QString& to)
{
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw copyFailed(out, to);
    copyBytes(from, out, to);
    if (!out.flush() || !syncFile(out))
        throw copyFailed(out, to);
}

void makeFolder(const QString& path)
{
    if (!QDir().mkpath(path))
        throw StoreError(FileError, QStringLiteral("No se puede crear la carpeta %1").arg(native(path)));
}

QString freeName(const QString& stem, const QString& suffix)
{
    QString name = stem + suffix;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("-%1").arg(n) + suffix;
    return name;
}

StoreError readFailed(const QFileDevice& file, const QString& path)
{
    return StoreError(FileError,
                      QStringLiteral("No se puede leer %1: %2").arg(native(path), fileErrorReason(file, path)));
}

StoreError writeFailed(const QFileDevice& file, const QString& path)
{
    return StoreError(FileError,
                      QStringLiteral("No se puede escribir %1: %2").arg(native(path), fileErrorReason(file, path)));
}

}  // namespace store::files
