#pragma once

#include "StoreError.h"
#include "TableUtil.h"

#include <map>

// What the table utility's calls share: the sessions, the progress reports and the table a path
// names. Failures inside a call are StoreErrors; the call turns them into its answer.
namespace store::util {

struct UtilSession {
    QList<TableDef> tables;
    ProgressCallback progress;
    QString lastError;
    RebuildReport lastRebuild;
};

std::map<TUSession, UtilSession>& sessions();

// Runs the body of a call: a StoreError becomes the call's answer and the session's text.
template <typename Body>
int call(TUSession session, Body&& body)
{
    const auto it = sessions().find(session);
    if (it == sessions().end())
        return TUInvalidSession;
    UtilSession& s = it->second;
    try {
        s.lastError.clear();
        return body(s);
    } catch (const StoreError& e) {
        s.lastError = e.text();
        return e.code();
    }
}

// Reports progress; a callback that answers other than 0 stops the call (TUCancelled) while
// mayStop holds. A report after the work is done cannot stop it any more.
void report(UtilSession& s, int percent, const QString& message, bool mayStop = true);

// A table of the session's definitions, named by a path.
struct Target {
    const TableDef* def;
    QString folder;  // absolute
    QString file;    // the table file, absolute
};

Target resolve(const UtilSession& s, const QString& tablePath);
// Names of side tables without a folder are in the table's folder.
QString sidePath(const Target& t, const QString& name);
void checkDriver(const QString& driver);

}  // namespace store::util
