#include "FolderLock.h"

#include "FileOps.h"
#include "SystemError.h"
#include "data/store/StoreError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>

namespace store {

const QString FolderLock::FileName = QStringLiteral(".tarvenio.bloqueo");

namespace {

struct Held {
    int fd = -1;
    int users = 0;
};

QMutex& heldMutex()
{
    static QMutex mutex;
    return mutex;
}

// The folders this process holds, by their canonical path; one open file each, since two opens
// of the same lock file in one process would refuse each other.
QHash<QString, Held>& held()
{
    static QHash<QString, Held> folders;
    return folders;
}

QString keyOf(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir(folder).absolutePath() : canonical;
}

QByteArray readHolder(int fd)
{
    QByteArray text(512, '\0');
    const ssize_t n = ::pread(fd, text.data(), size_t(text.size()), 0);
    return n > 0 ? text.left(n).trimmed() : QByteArray();
}

// The holder's name goes with the lock; a file that cannot be emptied only names a holder gone.
void clearHolder(int fd) { [[maybe_unused]] const int emptied = ::ftruncate(fd, 0); }

void writeHolder(int fd, const QString& who)
{
    const QByteArray text = QStringLiteral("%1 (proceso %2), desde el %3\n")
                                .arg(who)
                                .arg(QCoreApplication::applicationPid())
                                .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")))
                                .toUtf8();
    // Who holds the lock is only told to the one refused: a failed write costs nothing else.
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.constData(), size_t(text.size()), 0) < 0)
        clearHolder(fd);
}

StoreError unusable(const QString& folder, int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return StoreError(FileError,
                          QStringLiteral("No se encuentra la carpeta de las tablas %1.").arg(files::native(folder)));
    return StoreError(FileError, QStringLiteral("No se puede usar la carpeta de las tablas %1: %2")
                                     .arg(files::native(folder), systemErrorReason(error)));
}

int openLockFile(const QString& folder)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(FolderLock::FileName));
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A folder the clerk may only read is still locked against a second program, through a lock
    // file already there.
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    return fd;
}

}  // namespace

FolderLock::FolderLock(const QString& folder, const QString& who, int waitMs) : m_folder(folder), m_key(keyOf(folder))
{
    const QMutexLocker locker(&heldMutex());
    auto found = held().find(m_key);
    if (found != held().end()) {
        ++found->users;
        return;
    }
    const int fd = openLockFile(folder);
    if (fd < 0)
        throw unusable(folder, errno);
    const QDeadlineTimer deadline(waitMs);
    // flock belongs to the open file, not the process: the system drops it when the process ends.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        // A file system that keeps no locks (some shared drives) must not keep the clerk out of
        // the tables: there the program runs as it did before it locked anything.
        if (error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS)
            break;
        if (error != EWOULDBLOCK && error != EINTR) {
            ::close(fd);
            throw unusable(folder, error);
        }
        if (deadline.hasExpired()) {
            const QString holder = QString::fromUtf8(readHolder(fd));
            ::close(fd);
            throw StoreError(
                FolderBusy,
                QStringLiteral("Las tablas de %1 están en uso por otro programa Tarvenio%2. Ciérrelo, o espere a que "
                               "termine, y vuelva a intentarlo.")
                    .arg(files::native(folder), holder.isEmpty() ? QString() : QStringLiteral(": %1").arg(holder)));
        }
        QThread::msleep(50);
    }
    writeHolder(fd, who);
    held().insert(m_key, {fd, 1});
}

FolderLock::~FolderLock()
{
    const QMutexLocker locker(&heldMutex());
    auto found = held().find(m_key);
    if (found == held().end() || --found->users > 0)
        return;
    clearHolder(found->fd);
    ::close(found->fd);
    held().erase(found);
}

bool FolderLock::heldHere(const QString& folder)
{
    const QMutexLocker locker(&heldMutex());
    return held().contains(keyOf(folder));
}

}  // namespace store
