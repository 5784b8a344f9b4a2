#include "ZipFile.h"

#include "data/store/FileOps.h"
#include "data/store/StoreError.h"
#include "data/store/SystemError.h"

#include <archive.h>
#include <archive_entry.h>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
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

void write(const QString& path, const QList<Entry>& entries)
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
        // Names in UTF-8, marked so, whatever the machine's language: a name with an accent is
        // read back as it was written.
        archive_write_set_format_option(a.get(), "zip", "hdrcharset", "UTF-8") != ARCHIVE_OK ||
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

QHash<QString, QByteArray> read(const QString& path, const Placement& placement)
{
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        throw store::files::readFailed(probe, path);
    probe.close();
    const Utf8Names names;
    std::unique_ptr<archive, FreeRead> a(archive_read_new());
    // The zip read from its central directory only: a file cut off has none and is refused whole.
    archive_read_support_format_zip_seekable(a.get());
    if (archive_read_open_filename(a.get(), QFile::encodeName(path).constData(), 64 * 1024) != ARCHIVE_OK)
        refuse(path, QStringLiteral("no es una copia de seguridad del programa (no es un archivo ZIP, o está cortado "
                                    "o dañado)."));
    QHash<QString, QByteArray> digests;
    archive_entry* entry = nullptr;
    int rc;
    // A warning is a name the machine's language cannot show; the name is taken in UTF-8.
    while ((rc = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const QString name = utf8 ? QString::fromUtf8(utf8) : QFile::decodeName(archive_entry_pathname(entry));
        if (archive_entry_filetype(entry) == AE_IFDIR)
            continue;
        if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_is_encrypted(entry))
            refuse(
                path,
                QStringLiteral("contiene %1, que no es un archivo de una copia de seguridad del programa.").arg(name));
        if (digests.contains(name))
            refuse(path, QStringLiteral("contiene dos veces %1.").arg(name));
        const QString target = placement(name);
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw store::files::writeFailed(out, target);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QByteArray buffer(64 * 1024, Qt::Uninitialized);
        for (;;) {
            const la_ssize_t got = archive_read_data(a.get(), buffer.data(), size_t(buffer.size()));
            if (got < 0)
                refuse(path, QStringLiteral("está dañado o cortado (en %1).").arg(name));
            if (got == 0)
                break;
            hash.addData(QByteArrayView(buffer.constData(), qsizetype(got)));
            if (out.write(buffer.constData(), qint64(got)) != qint64(got))
                throw store::files::writeFailed(out, target);
        }
        // What is put in place must be on the disk before anything commits to it.
        if (!store::files::syncFile(out))
            throw store::StoreError(store::FileError,
                                    QStringLiteral("No se puede escribir %1.").arg(store::files::native(target)));
        digests.insert(name, hash.result().toHex());
    }
    if (rc != ARCHIVE_EOF)
        refuse(path, QStringLiteral("está dañado o cortado."));
    return digests;
}

}  // namespace backup::zip
