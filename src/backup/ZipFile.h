#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

// Zip files through libarchive: written whole or not at all, read entry by entry into files.
// Failures throw StoreError: FileError for a file that cannot be written, BackupRefused for a
// zip that cannot be read.
namespace backup::zip {

// One entry to write: the bytes of a file on disk, or bytes given.
struct Entry {
    QString name;  // inside the zip, '/' between folders
    QString file;  // empty: the bytes below
    QByteArray bytes;
};

// Writes the entries to path through a temporary file beside it, renamed over path only once
// the zip is complete and synced.
void write(const QString& path, const QList<Entry>& entries);

// Where an entry of the zip goes: a full file path, or a throw that refuses the zip.
using Placement = std::function<QString(const QString& name)>;

// Reads every regular file of the zip into the file placement gives it (new files; the folders
// must exist) and answers the SHA-256 of each, in hex, by entry name. An entry that is not a plain
// file, is encrypted or repeated, or a zip that is damaged or cut off, is refused.
QHash<QString, QByteArray> read(const QString& path, const Placement& placement);

// A refusal of the zip at path, with the reason after its name.
[[noreturn]] void refuse(const QString& path, const QString& reason);

}  // namespace backup::zip
