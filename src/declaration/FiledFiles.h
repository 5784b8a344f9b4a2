#pragma once

#include <QString>

// Every declaration file written is also kept below the tables, in ddjj/archivo, whatever its
// destination was: a later re-issue or amendment replaces the file at its destination, and a
// diskette leaves with the clerk, but the file of each filing stays. The filing puts its copy
// there in the same change as the file itself.
namespace filed {

// ddjj/archivo below the tables' folder.
QString archiveFolder(const QString& tablesFolder);

// The name a declaration file keeps there: its own for a first filing, "<name>-R<n>.imp" for
// amendment n.
QString archiveName(const QString& fileName, qint64 amendment);

// Where a declaration file written is kept in the archive of tablesFolder. fileName: the
// declaration's own name when the file written still lies under another (empty: its own). A
// kept file of that name (or of "<name>-2.imp", "-3"…) with the same bytes is the same filing:
// kept is then true and nothing needs copying. A kept file is never written over: the file takes
// the next free name.
struct ArchivePlace {
    QString path;
    bool kept = false;
};
ArchivePlace archivePlace(const QString& tablesFolder, const QString& written, qint64 amendment,
                          const QString& fileName = {});

}  // namespace filed
