#pragma once

#include <QString>

// One program at a time on a folder of tables: an exclusive lock on a file beside them, which
// the system lets go when the process ends however it ends, so a killed program never leaves
// the folder locked. The file also says who holds it, for the one who is refused. Within one
// process the lock is shared: the windows, the repair's own session and every open of the tables
// hold it together, and the system's lock goes when the last of them lets go.
namespace store {

class FolderLock {
public:
    // The lock file's name inside the folder.
    static const QString FileName;

    // Takes the lock of folder, trying for waitMs; who: what this process is, as the refused
    // one is told ("las ventanas", "la orden presentar"). Throws StoreError FolderBusy naming
    // the holder when another process keeps it, FileError when the folder or the lock file
    // cannot be used.
    explicit FolderLock(const QString& folder, const QString& who = QStringLiteral("el programa"), int waitMs = 0);
    ~FolderLock();

    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    const QString& folder() const { return m_folder; }

    // Whether this process holds the lock of folder now.
    static bool heldHere(const QString& folder);

private:
    QString m_folder;
    QString m_key;
};

}  // namespace store
