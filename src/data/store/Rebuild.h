#pragma once

#include "UtilSession.h"

#include <chrono>

namespace store::util {

// Rebuilds one table: see TURebuildTable. Answers its result and leaves its account in the
// session's lastRebuild.
int rebuildTable(UtilSession& s, const Target& t, const TableDef& def, const QString& backup, const QString& keyViol,
                 const QString& problem, const QString& errorTable);

// How long a rebuild may spend reading one table file; a file that takes longer stays as it was
// (TUTimedOut), so a damaged file cannot hold the repair of the others for ever. Five minutes
// unless set; a caller that feeds many damaged files in a row, such as a fuzz target, shortens it.
void setRebuildBudget(std::chrono::milliseconds budget);

}  // namespace store::util
