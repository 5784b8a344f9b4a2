#pragma once

#include "data/store/StoreError.h"

#include <QFile>
#include <QString>
#include <filesystem>

// File steps that must reach the disk whole: the table utility's and the placing of a filed
// declaration. removeFile, copyFile and replaceFile throw a StoreError (FileError) with a
// Spanish text naming the file; the syncs answer or ignore their failure, as said below.
namespace store::files {

QString native(const QString& path);
std::filesystem::path fsPath(const QString& path);
// After a rename the folder entry must reach the disk too, or a power cut could undo it. A
// folder that cannot be synced is left as the system keeps it.
void syncFolder(const QString& folder);
bool syncFile(QFile& file);  // false when the system could not sync it
// Renames from over to and syncs the folder. failure: the message, %1 the target, %2 the reason.
void replaceFile(const QString& from, const QString& to, const QString& failure);
void copyPermissions(const QString& from, const QString& to);
void removeFile(const QString& path);
// A byte-for-byte copy that appears whole or not at all.
void copyFile(const QString& from, const QString& to);
// A byte-for-byte copy written at to itself and synced: for a pending name that a record of the
// tables already covers, so that a crash leaves it to the next start to finish or remove.
void copyToPending(const QString& from, const QString& to);
// Makes the folder and its parents; a FileError naming it when it cannot.
void makeFolder(const QString& path);
// stem + suffix when no file has that name, else stem-2 + suffix, stem-3 + suffix...
QString freeName(const QString& stem, const QString& suffix);
// "No se puede leer/escribir <file>: <why>" for a file that failed, as a FileError to throw.
StoreError readFailed(const QFileDevice& file, const QString& path);
StoreError writeFailed(const QFileDevice& file, const QString& path);

}  // namespace store::files
