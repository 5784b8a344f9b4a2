#include "ZipFile.h"

#include "data/files/FileOps.h"
#include "data/files/SystemError.h"
#include "data/store/StoreError.h"

#include <archive.h>
#include <archive_entry.h>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <memory>

#ifdef Q_OS_UNIX
#include <locale.h>
#endif

namespace backup::zip {

namespace {

struct FreeRead {
    void operator()(archive* a) const { archive_read_free(a); }
};
struct FreeWrite {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct FreeEntry {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

const qint64 Chunk = 1 << 20;

// libarchive turns names into the machine's language, which on a bare system (the C locale) has no
// accents, and drops a name it cannot turn: names are read and written in UTF-8 meanwhile.
class Utf8Names {
public:
#ifdef Q_OS_UNIX
    Utf8Names() : m_utf8(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr))
    {
        if (m_utf8)
            m_previous = uselocale(m_utf8);
    }
    ~Utf8Names()
    {
        if (m_utf8) {
            uselocale(m_previous);
            freelocale(m_utf8);
        }
    }

private:
    locale_t m_utf8;
    locale_t m_previous = nullptr;
#endif
};

store::StoreError writeError(const QString& path, const QString& reason)
{
    return store::StoreError(
        store::FileError,
        QStringLiteral("No se puede escribir la copia de seguridad %1: %2").arg(store::files::native(path), reason));
}

la_ssize_t writeToFile(archive*, void* data, const void* buffer, size_t length)
{
    auto* out = static_cast<QSaveFile*>(data);
    return out->write(static_cast<const char*>(buffer), qint64(length));
}

}  // namespace

void refuse(const QString& path, const QString& reason)
{
    throw store::StoreError(
        store::BackupRefused,
        QStringLiteral("No se puede restaurar el archivo %1: %2").arg(store::files::native(path), reason));
}

void write(const QString& path, const QList<Entry>& entries, int level)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        throw writeError(path, store::fileErrorReason(out, path));
    const Utf8Names names;
    std::unique_ptr<archive, FreeWrite> a(archive_write_new());
    const auto failed = [&] {
        // The system's reason when the file failed; the library's own failures are rare enough.
        throw writeError(path, out.error() != QFileDevice::NoError ? store::fileErrorReason(out, path)
                                                                   : QString::fromUtf8(archive_error_string(a.get())));
    };
    // No padding after the zip: a zip ends with its central directory, or a cut file could pass.
    if (archive_write_set_format_zip(a.get()) != ARCHIVE_OK ||
        archive_write_set_bytes_in_last_block(a.get(), 1) != ARCHIVE_OK ||
        // Large blocks: a zip of the tables is written in a few calls, not thousands.
        archive_write_set_bytes_per_block(a.get(), 1 << 20) != ARCHIVE_OK ||
        // Names in UTF-8, marked so, whatever the machine's language: a name with an accent is
        // read back as it was written.
        archive_write_set_format_option(a.get(), "zip", "hdrcharset", "UTF-8") != ARCHIVE_OK ||
        (level > 0 && archive_write_set_format_option(a.get(), "zip", "compression-level",
                                                      QByteArray::number(level).constData()) != ARCHIVE_OK) ||
        archive_write_open2(a.get(), &out, nullptr, writeToFile, nullptr, nullptr) != ARCHIVE_OK)
        failed();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (const Entry& e : entries) {
        QFile in(e.file);
        if (!e.file.isEmpty() && !in.open(QIODevice::ReadOnly))
            throw store::files::readFailed(in, e.file);
        std::unique_ptr<archive_entry, FreeEntry> entry(archive_entry_new());
        archive_entry_set_pathname_utf8(entry.get(), e.name.toUtf8().constData());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), e.file.isEmpty() ? e.bytes.size() : in.size());
        archive_entry_set_mtime(entry.get(),
                                e.file.isEmpty() ? now : QFileInfo(e.file).lastModified().toSecsSinceEpoch(), 0);
        if (archive_write_header(a.get(), entry.get()) != ARCHIVE_OK)
            failed();
        if (e.file.isEmpty()) {
            if (archive_write_data(a.get(), e.bytes.constData(), size_t(e.bytes.size())) != e.bytes.size())
                failed();
            continue;
        }
        for (;;) {
            const QByteArray chunk = in.read(Chunk);
            if (chunk.isEmpty())
                break;
            if (archive_write_data(a.get(), chunk.constData(), size_t(chunk.size())) != chunk.size())
                failed();
        }
        if (in.error() != QFileDevice::NoError)
            throw store::files::readFailed(in, e.file);
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK)
        failed();
    // QSaveFile syncs the file before it takes its name; the folder entry is synced after.
    if (!out.commit())
        throw writeError(path, store::fileErrorReason(out, path));
    store::files::syncFolder(QFileInfo(path).absolutePath());
}

namespace {

using Reader = std::unique_ptr<archive, FreeRead>;

// The zip read from its central directory only: a file cut off has none and is refused whole.
Reader openToRead(const QString& path)
{
    // A pipe or a device is never opened: reading one could wait for ever.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        refuse(path, QStringLiteral("no es un archivo común."));
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        throw store::files::readFailed(probe, path);
    probe.close();
    Reader a(archive_read_new());
    archive_read_support_format_zip_seekable(a.get());
    if (archive_read_open_filename(a.get(), QFile::encodeName(path).constData(), 64 * 1024) != ARCHIVE_OK)
        refuse(path, QStringLiteral("no es una copia de seguridad del programa (no es un archivo ZIP, o está cortado "
                                    "o dañado)."));
    return a;
}

QString entryName(archive_entry* entry)
{
    const char* utf8 = archive_entry_pathname_utf8(entry);
    return utf8 ? QString::fromUtf8(utf8) : QFile::decodeName(archive_entry_pathname(entry));
}

// Walks the headers, with names, of every entry; visit answers false to stop.
template <typename Visit>
void eachHeader(const QString& path, archive* a, Visit visit)
{
    archive_entry* entry = nullptr;
    int rc;
    // A warning is a name the machine's language cannot show; the name is taken in UTF-8.
    while ((rc = archive_read_next_header(a, &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
        if (!visit(entryName(entry), entry))
            return;
    }
    if (rc != ARCHIVE_EOF)
        refuse(path, QStringLiteral("está dañado o cortado."));
}

// Inflates the data of the current entry into sink, refusing it as soon as it passes size bytes.
template <typename Sink>
void inflate(const QString& path, archive* a, const Listed& entry, Sink sink)
{
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const la_ssize_t got = archive_read_data(a, buffer.data(), size_t(buffer.size()));
        if (got < 0)
            refuse(path, QStringLiteral("está dañado o cortado (en %1).").arg(entry.name));
        if (got == 0)
            break;
        total += got;
        if (total > entry.size)
            refuse(path, QStringLiteral("el archivo %1 que contiene es más grande de lo que dice el ZIP: puede ser un "
                                        "archivo hecho para llenar el disco.")
                             .arg(entry.name));
        sink(QByteArrayView(buffer.constData(), qsizetype(got)));
    }
    if (total != entry.size)
        refuse(path, QStringLiteral("está dañado o cortado (en %1).").arg(entry.name));
}

}  // namespace

namespace {

quint32 le(const char* at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(at[i]);
    return value;
}

constexpr qint64 EndRecordSize = 22;
constexpr qint64 CentralRecordSize = 46;
constexpr quint32 Unknown32 = 0xffffffffu;
constexpr int UnixMadeBy = 3;
constexpr quint32 TypeMask = 0170000, RegularType = 0100000, FolderType = 0040000;
constexpr quint32 DosFolder = 0x10;

}  // namespace

// The central directory is read here rather than through libarchive, which takes an entry that
// says it is a pipe or a device for a plain file: whatever the zip says an entry is, is seen.
QList<Listed> list(const QString& path, int maxEntries)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        refuse(path, QStringLiteral("no es un archivo común."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw store::files::readFailed(file, path);
    const auto notZip = [&] {
        refuse(path, QStringLiteral("no es una copia de seguridad del programa (no es un archivo ZIP, o está cortado "
                                    "o dañado)."));
    };
    // The end record is the last thing in the file, after at most a comment of 64 kB.
    const qint64 size = file.size();
    const qint64 tail = std::min(size, EndRecordSize + 0xffff);
    if (tail < EndRecordSize || !file.seek(size - tail))
        notZip();
    const QByteArray end = file.read(tail);
    qsizetype at = end.lastIndexOf(QByteArrayLiteral("PK\x05\x06"));
    while (at >= 0 && at + EndRecordSize + le(end.constData() + at + 20, 2) != end.size())
        at = at > 0 ? end.lastIndexOf(QByteArrayLiteral("PK\x05\x06"), at - 1) : -1;
    if (at < 0)
        notZip();
    const char* record = end.constData() + at;
    const quint32 count = le(record + 10, 2);
    const quint32 directorySize = le(record + 12, 4);
    const quint32 directoryAt = le(record + 16, 4);
    if (le(record + 4, 2) != 0 || le(record + 6, 2) != 0 || le(record + 8, 2) != count)
        refuse(path, QStringLiteral("está partido en varios archivos."));
    if (count == 0xffff || directorySize == Unknown32 || directoryAt == Unknown32)
        refuse(path, QStringLiteral("usa una forma de ZIP para archivos enormes que el programa no escribe."));
    if (count > quint32(maxEntries))
        refuse(
            path,
            QStringLiteral("contiene más de %1 archivos: no es una copia de seguridad del programa.").arg(maxEntries));
    if (qint64(directoryAt) + directorySize > size - tail + at || !file.seek(directoryAt))
        notZip();
    const QByteArray directory = file.read(directorySize);
    if (directory.size() != qsizetype(directorySize))
        notZip();

    QList<Listed> listed;
    QSet<QString> seen;
    qsizetype pos = 0;
    for (quint32 n = 0; n < count; ++n) {
        if (pos + CentralRecordSize > directory.size() || !directory.mid(pos, 4).startsWith("PK\x01\x02"))
            notZip();
        const char* r = directory.constData() + pos;
        const quint32 nameLength = le(r + 28, 2), extraLength = le(r + 30, 2), commentLength = le(r + 32, 2);
        if (pos + CentralRecordSize + nameLength + extraLength + commentLength > directory.size())
            notZip();
        const QByteArray rawName = directory.mid(pos + CentralRecordSize, nameLength);
        // Bit 11: the name is in UTF-8; our zips say so, others may be in an old code page.
        const QString name = le(r + 8, 2) & 0x800 ? QString::fromUtf8(rawName) : QString::fromLatin1(rawName);
        pos += CentralRecordSize + nameLength + extraLength + commentLength;
        const quint32 flags = le(r + 8, 2), method = le(r + 10, 2);
        const quint32 unpacked = le(r + 24, 4), external = le(r + 38, 4);
        const bool unix = (le(r + 4, 2) >> 8) == UnixMadeBy && (external >> 16) != 0;
        const quint32 type = unix ? (external >> 16) & TypeMask : (external & DosFolder ? FolderType : RegularType);
        if (type == FolderType || (!unix && name.endsWith(QLatin1Char('/'))))
            continue;
        if (type != RegularType || (flags & 1) != 0)
            refuse(path, QStringLiteral("contiene %1, que no es un archivo de una copia de seguridad del programa.")
                             .arg(name.left(120)));
        if (unpacked == Unknown32)
            refuse(path, QStringLiteral("usa una forma de ZIP para archivos enormes que el programa no escribe."));
        if (method != 0 && method != 8)
            refuse(path,
                   QStringLiteral("guarda %1 comprimido de una forma que el programa no usa.").arg(name.left(120)));
        if (seen.contains(name))
            refuse(path, QStringLiteral("contiene dos veces %1.").arg(name.left(120)));
        seen.insert(name);
        listed << Listed{name, qint64(unpacked)};
    }
    return listed;
}

QByteArray readEntry(const QString& path, const Listed& wanted)
{
    const Utf8Names names;
    const Reader a = openToRead(path);
    QByteArray bytes;
    bool found = false;
    eachHeader(path, a.get(), [&](const QString& name, archive_entry*) {
        if (name != wanted.name)
            return true;
        found = true;
        inflate(path, a.get(), wanted, [&](QByteArrayView chunk) { bytes.append(chunk); });
        return false;
    });
    if (!found)
        refuse(path, QStringLiteral("le falta %1.").arg(wanted.name));
    return bytes;
}

void extract(const QString& path, const QList<Listed>& expected, const Placement& placement, const Written& written)
{
    QHash<QString, Listed> byName;
    for (const Listed& e : expected)
        byName.insert(e.name, e);
    const Utf8Names names;
    const Reader a = openToRead(path);
    QSet<QString> seen;
    eachHeader(path, a.get(), [&](const QString& name, archive_entry* entry) {
        if (archive_entry_filetype(entry) == AE_IFDIR)
            return true;
        // The zip is read again: what it lists now must be what it listed before.
        const auto it = byName.constFind(name);
        if (it == byName.cend() || seen.contains(name) || archive_entry_filetype(entry) != AE_IFREG ||
            (archive_entry_size_is_set(entry) && archive_entry_size(entry) != it->size))
            refuse(path, QStringLiteral("cambió mientras se leía, o lista %1 de dos maneras.").arg(name));
        seen.insert(name);
        const QString target = placement(name);
        if (target.isEmpty())
            return true;
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw store::files::writeFailed(out, target);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        inflate(path, a.get(), *it, [&](QByteArrayView chunk) {
            hash.addData(chunk);
            if (out.write(chunk.constData(), qint64(chunk.size())) != qint64(chunk.size()))
                throw store::files::writeFailed(out, target);
        });
        // What is put in place must be on the disk before anything commits to it.
        if (!store::files::syncFile(out))
            throw store::StoreError(store::FileError,
                                    QStringLiteral("No se puede escribir %1.").arg(store::files::native(target)));
        written(name, hash.result().toHex());
        return true;
    });
    for (const Listed& e : expected)
        if (!seen.contains(e.name))
            refuse(path, QStringLiteral("le falta el archivo %1.").arg(e.name));
}

}  // namespace backup::zip
