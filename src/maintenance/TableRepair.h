#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Prompt;
class TBDEUtil;

// The repair of the table files without windows: each table verified, then rebuilt with its
// backup, through the table utility. The repair window and the command line run it table by
// table and show the outcome.
namespace tablerepair {

// The tables in the order they are repaired, by base name.
QStringList tableBases();

struct TableOutcome {
    bool repaired = false;  // rebuilt with every row carried over
    QString report;         // a line for the user: what became of the table
};

// Verifies and rebuilds one table of the folder; the backup goes to folder/back. A descriptor
// that cannot be filled is told through the prompt ("Error Filling table structure"). A
// verification that fails, or a restart of the utility's session, throws StoreError.
TableOutcome repairTable(TBDEUtil& util, Prompt& prompt, const QString& folder, const QString& base);

// A run over every table, in order: how many were rebuilt whole and a line for each.
struct RunOutcome {
    int repaired = 0;
    QStringList report;
    bool complete() const { return repaired == tableBases().size(); }
};

// What a window or the terminal shows of a run as it goes.
struct RunHooks {
    std::function<void(int index, const QString& base)> starting;
    std::function<void(const TableOutcome& outcome)> done;
};

// After a run that could not rebuild every table: the way back to tables that worked, for the
// clerk (the restore of a backup, naming the latest automatic copy below the folder when there
// is one).
QString wayBack(const QString& folder);

// Repairs every table in turn into run. What was done stays in run when a table throws.
void repairAll(TBDEUtil& util, Prompt& prompt, const QString& folder, RunOutcome& run, const RunHooks& hooks = {});

}  // namespace tablerepair
