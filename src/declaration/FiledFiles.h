#pragma once

#include <QString>

class Prompt;
class TDModulo;

// Every declaration file written is also kept below the tables, in ddjj/archivo, whatever its
// destination was: a later re-issue or amendment replaces the file at its destination, and a
// diskette leaves with the clerk, but the file of each filing stays.
namespace filed {

// ddjj/archivo below the tables' folder.
QString archiveFolder(const QString& tablesFolder);

// The name a declaration file keeps there: its own for a first filing, "<name>-R<n>.imp" for
// amendment n.
QString archiveName(const QString& fileName, qint64 amendment);

// Copies the declaration file written into the archive of tablesFolder, whole or not at all, and
// answers the copy. A kept file of that name with the same bytes is the same filing: it stays and
// is answered. One with other bytes is never written over: the copy takes the next free name
// ("<name>-2.imp"). Throws store::StoreError (FileError) when the file cannot be copied.
QString keepFiledFile(const QString& tablesFolder, const QString& written, qint64 amendment);

// After a filing, re-issue or amendment of the current TAnticipos row has committed: keeps the
// file written at its amendment number and answers the copy. The filing is done whatever
// happens here: a failure is told and answers nothing.
QString keepFiledFile(TDModulo& m, Prompt& prompt, const QString& written);

}  // namespace filed
