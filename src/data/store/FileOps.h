#pragma once

#include <QFile>
#include <QString>
#include <filesystem>

// File steps of the table utility that must reach the disk whole. Failures throw a StoreError
// with code FileError and a Spanish text naming the file.
namespace store::files {

QString native(const QString& path);
std::filesystem::path fsPath(const QString& path);
// After a rename the folder entry must reach the disk too, or a power cut could undo it.
void syncFolder(const QString& folder);
bool syncFile(QFile& file);
void copyPermissions(const QString& from, const QString& to);
void removeFile(const QString& path);
// A byte-for-byte copy that appears whole or not at all.
void copyFile(const QString& from, const QString& to);

}  // namespace store::files
