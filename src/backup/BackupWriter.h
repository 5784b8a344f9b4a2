#pragma once

#include "Backup.h"
#include "data/store/Database.h"

#include <QString>

// Shared by the backups made by hand, the safety copies and the restore: one writer for all of
// them, and the safety copy a restore makes of the tables it replaces.
namespace backup {

// How a backup is taken: one made by hand, or a safety copy before a piece of work.
struct Taking {
    // A table that fails the store's checks (to depth) is kept byte for byte, with its journal,
    // and named in the manifest (a safety copy must keep whatever there was); otherwise the
    // backup is refused.
    bool asFound = false;
    store::Database::FileCheck depth = store::Database::FileCheck::Full;
    // The files of ddjj and its archivo; a safety copy is for the tables alone, and costs the
    // work before it the same whatever the years of declarations beside them.
    bool declarations = true;
    int level = 0;  // deflate's; a safety copy takes the fastest
};

// A backup of the tables as they are, taken as said; answers the file written.
QString writeBackup(const QString& tablesFolder, const QString& target, const Taking& taking);

// The safety copy itself, on a folder where no restore waits to be finished.
QString safetyCopy(const QString& tablesFolder, Work work);

}  // namespace backup
