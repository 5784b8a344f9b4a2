#pragma once

#include "AliasConfig.h"
#include "TableDef.h"

#include <QList>
#include <QString>
#include <functional>

// The table utility: verifies a table file and rebuilds it from the program's own table
// definitions, carrying over every row that can still be read. It works on the files directly,
// each call on connections of its own, so no session of the program may hold the files open.
//
// Every call answers 0 for success or an error code: a StoreError code (FileError, SqlError…)
// or one of the codes below. TUErrorText() gives the text of the last failure of a session.
// One thread only: sessions are kept in a table of the process without locks.
namespace store {

using TUSession = quint16;  // 0 is never a session

enum TableUtilCode : int {
    TUInvalidSession = 10101,
    TUUnknownTable = 10102,  // the path names no table of the session's definitions
    TUUnknownDriver = 10103,
    TUBadDescriptor = 10104,  // room reserved does not match, or the descriptor names no fields
    TURowsLost = 10105,       // rebuilt, but the old file could not be read in full
    TURowsSetAside = 10106,   // rebuilt; rows that break a key or the fields went to the side tables
    TUCreatedEmpty = 10107,   // the file was missing: an empty table now stands in its place
    TUCancelled = 10108,      // the progress callback asked to stop; nothing was replaced
    TUBadCallback = 10109,
    TUTooManySessions = 10110,
    TUUnreadable = 10111,  // no row of the file could be read as this table; the old file stays
    TUTimedOut = 10112,    // the file took too long to read; the old file stays
};

// Callback type of the general progress reports, the only kind the utility sends.
inline constexpr int TUCallbackGeneralProgress = 23;

// One progress report, 268 bytes, as the callers keep it.
struct ProgressReport {
    qint16 percentDone = 0;  // 0 to 100
    char message[266] = {};  // UTF-8, NUL-terminated
};
static_assert(sizeof(ProgressReport) == 268);

// Answers 0 to carry on; anything else stops the call that reported, which answers TUCancelled.
// The callback must not end the session it was registered on.
using ProgressCallback = std::function<int(int type, const ProgressReport& report)>;

struct TableProperties {
    QString path;       // the table file
    QString tableName;  // the table inside it
    QString driver;
    int fieldCount = 0;
    int indexCount = 0;
    qint64 fileSize = 0;
};

// What a table is made of. The caller reserves room for the fields and indexes from the counts
// of TUGetCRTblDescCount and TUFillCRTblDesc fills it in. Our files hold no security records,
// validity checks, referential rules or optional parameters: their counts are always 0.
struct TableDescriptor {
    QString tableName;   // the table path
    QString tableType;   // the driver
    QString errorTable;  // where the rebuild writes its account of the table; empty: nowhere
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
};

// What the last rebuild of a session did, for the user.
struct RebuildReport {
    QString table;          // the table's file name
    bool replaced = false;  // the new file took the old one's place
    qint64 kept = 0, keyViolations = 0, problems = 0;
    QString text;  // a sentence for the user
};

// Verification findings, worst first in the error level.
enum VerifyLevel : int {
    VerifyHealthy = 0,
    VerifyWarning = 1,    // nothing lost: a missing mark or index, a journal left by a crash
    VerifyDamaged = 2,    // the contents are damaged
    VerifyUnreadable = 3  // missing, or not a table file at all
};

// A new session over the given table definitions (the tables its paths may name).
int TUInit(TUSession* session, const QList<TableDef>& tables);
int TUExit(TUSession session);
QString TUErrorText(TUSession session);

// Registers the progress callback of a session; an empty callback unregisters it.
int TURegisterCallback(TUSession session, int type, ProgressCallback callback);

// A table path is the folder and the table's base name ("…/Cliente"), or its file name. Names of
// side tables ("VERIFY.DB", "KEYVIOL.DB"…) without a folder are in the table's folder.
int TUFillCURProps(TUSession session, const QString& tablePath, TableProperties* properties);

// Examines the table file without changing it and writes the findings into the report table:
// one table "verify" whose rows of this table file replace those of its last verification.
// Answers 0 when the table could be examined, whatever was found; errorLevel gets the worst level.
int TUVerifyTable(TUSession session, const QString& tablePath, const QString& driver, const QString& reportTable,
                  const QString& password, int options, int* errorLevel);

int TUGetCRTblDescCount(TUSession session, const QString& tablePath, quint16* fields, quint16* indexes,
                        quint16* securityRecords, quint16* validityChecks, quint16* referentialRules,
                        quint16* optionalParameters, quint16* optionalDataLength);
int TUFillCRTblDesc(TUSession session, TableDescriptor* descriptor, const QString& tablePath, const QString& password);

// The account of the last TURebuildTable of the session; empty before the first.
int TUGetRebuildReport(TUSession session, RebuildReport* rebuild);

// Rebuilds the table: copies the old file byte for byte to backupName (its folder is created
// when missing), builds a new file from the descriptor in the table's folder, carries over every
// row it can read, sets aside rows that break a unique key (keyViolName) and rows it cannot
// place (problemName), and only then puts the new file in place of the old one. Rows are read
// from the file's pages: a row is carried over only when its record decodes whole and its values
// pass the fields' rules; the rest goes to the problem table with the reason.
// Answers 0 when every row was carried over; TURowsLost, TURowsSetAside or TUCreatedEmpty when
// the new file is in place but the table is not what it was; any other code leaves the old file.
int TURebuildTable(TUSession session, const QString& tablePath, const QString& driver, const QString& backupName,
                   const QString& keyViolName, const QString& problemName, TableDescriptor* descriptor);

}  // namespace store
