#pragma once

#include "UtilSession.h"

namespace store::util {

// Rebuilds one table: see TURebuildTable. Answers its result and leaves its account in the
// session's lastRebuild.
int rebuildTable(UtilSession& s, const Target& t, const TableDef& def, const QString& backup, const QString& keyViol,
                 const QString& problem, const QString& errorTable);

}  // namespace store::util
