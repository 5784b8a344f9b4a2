#include "CheckedFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace store {

namespace {

// What a file is now, in one line of text; empty when it cannot be read.
QString stampOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(100);
    if (header.size() < 100)
        return {};
    // SQLite's change counter, raised by every commit that changes the file.
    const QByteArray counter = header.mid(24, 4).toHex();
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::fstat(file.handle(), &info) != 0)
        return {};
    // The change time too: a program can set the modification time back, not that one.
    return QStringLiteral("%1 %2.%3 %4.%5 %6 %7 %8")
        .arg(qint64(info.st_size))
        .arg(qint64(info.st_mtim.tv_sec))
        .arg(qint64(info.st_mtim.tv_nsec))
        .arg(qint64(info.st_ctim.tv_sec))
        .arg(qint64(info.st_ctim.tv_nsec))
        .arg(quint64(info.st_dev))
        .arg(quint64(info.st_ino))
        .arg(QString::fromLatin1(counter));
#else
    const QFileInfo info(path);
    return QStringLiteral("%1 %2 %3")
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(QString::fromLatin1(counter));
#endif
}

}  // namespace

const QString CheckedFiles::FileName = QStringLiteral(".verificadas");

CheckedFiles::CheckedFiles(const QString& folder) : m_path(QDir(folder).filePath(FileName))
{
    // A save cut short leaves its temporary copy behind; nothing reads it.
    const QDir dir(folder);
    for (const QString& left : dir.entryList({FileName + QStringLiteral(".*")}, QDir::Files | QDir::Hidden))
        QFile::remove(dir.filePath(left));
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line)) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab > 0)
            m_stamps.insert(line.left(tab), line.mid(tab + 1));
    }
}

bool CheckedFiles::unchanged(const QString& path) const
{
    const QString kept = m_stamps.value(QFileInfo(path).fileName());
    return !kept.isEmpty() && kept == stampOf(path);
}

void CheckedFiles::sound(const QString& path)
{
    const QString stamp = stampOf(path);
    const QString name = QFileInfo(path).fileName();
    if (stamp.isEmpty() || m_stamps.value(name) == stamp)
        return;
    m_stamps.insert(name, stamp);
    m_changed = true;
}

void CheckedFiles::save()
{
    if (!m_changed)
        return;
    m_changed = false;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    QTextStream out(&file);
    for (auto it = m_stamps.cbegin(); it != m_stamps.cend(); ++it)
        out << it.key() << '\t' << it.value() << '\n';
    out.flush();
    file.commit();
}

}  // namespace store
