#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

// Zip files through libarchive: written whole or not at all, read entry by entry into files.
// Reading never trusts the zip: what it holds is listed from its central directory before a byte
// is inflated, and no entry is inflated past the size listed for it. Failures throw StoreError:
// FileError for a file that cannot be written, BackupRefused for a zip that cannot be read.
namespace backup::zip {

// One entry to write: the bytes of a file on disk, or bytes given.
struct Entry {
    QString name;  // inside the zip, '/' between folders
    QString file;  // empty: the bytes below
    QByteArray bytes;
};

// Writes the entries to path through a temporary file beside it, renamed over path only once
// the zip is complete and synced. level: deflate's, from 1 (fastest) to 9; 0 the library's own.
void write(const QString& path, const QList<Entry>& entries, int level = 0);

// An entry as the zip lists it, before anything is inflated.
struct Listed {
    QString name;
    qint64 size = 0;  // once inflated
};

// The entries of the zip, in its order, from its central directory alone. Refuses a zip that
// holds more than maxEntries, an entry that is not a plain file (a link, a device, a pipe), an
// encrypted one, one whose size is not listed, and a name given twice. Folders are passed over.
QList<Listed> list(const QString& path, int maxEntries);

// The bytes of one entry, at most its listed size, which the caller has checked.
QByteArray readEntry(const QString& path, const Listed& entry);

// Where an entry of the zip goes: a full file path (a new file; its folder must exist), or empty
// to pass over it.
using Placement = std::function<QString(const QString& name)>;
// Called after each entry is written whole, with its SHA-256 in hex; throws to stop the reading.
using Written = std::function<void(const QString& name, const QByteArray& digest)>;

// Inflates the entries of expected (listed beforehand) into the files placement gives them,
// each synced. An entry that inflates to more or fewer bytes than its listed size, or that was
// not listed, is refused as soon as it is met: the disk never takes more than the listing said.
void extract(const QString& path, const QList<Listed>& expected, const Placement& placement, const Written& written);

// A refusal of the zip at path, with the reason after its name.
[[noreturn]] void refuse(const QString& path, const QString& reason);

}  // namespace backup::zip
