#pragma once

#include <QString>
#include <functional>

namespace store {
class AliasConfig;
}

// Where a declaration goes: a folder, or the diskette in drive A:.
namespace destination {

// A destination beginning with exactly "A:" is the diskette; the file then goes to its root.
bool isDiskette(const QString& destino);

// The folder the declarations go to by default: "ddjj" below the tables' folder.
QString defaultFolder(const QString& aliasFolder);

// A diskette needs more than this many bytes free to take a declaration.
constexpr qint64 MinimumFreeSpace = 50250;

// Free bytes of a folder's file system, or -1 when it cannot be read. Tests put their own
// reader in place; an empty one restores the file system's.
using FreeSpaceReader = std::function<qint64(const QString& folder)>;
FreeSpaceReader setFreeSpaceReader(FreeSpaceReader reader);

// Free bytes of drive A:, or -1 when the drive is not configured or cannot be read.
qint64 disketteFreeSpace(const store::AliasConfig* config);
bool disketteHasRoom(const store::AliasConfig* config);

}  // namespace destination
