#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// Connections of their own on single table files, for the checks at open and the table utility:
// opened by URI and hardened, since damaged and foreign files are read through them.
namespace store::sqlite {

struct CloseDb {
    void operator()(sqlite3* db) const;
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

struct FinalizeStmt {
    void operator()(sqlite3_stmt* s) const;
};
using Stmt = std::unique_ptr<sqlite3_stmt, FinalizeStmt>;

void harden(sqlite3* db);
// The last failure of a connection in the clerk's words (SQLite's own text never reaches a window).
QString message(sqlite3* db);
// A result code in the clerk's words; `detail` is SQLite's text, read only to tell failures
// that share a code apart.
QString errorText(int code, const QString& detail = {});

// A file's URI, so that a name is never taken for anything else; the query gives the mode
// ("mode=ro", "mode=rw", "mode=rwc") and any other parameter of the URI.
QByteArray fileUri(const QString& path, const QString& query);
// Opens a file by its URI.
Db openFile(const QString& path, const QString& query, int* rc);
Stmt prepare(sqlite3* db, const QString& sql, int* rc);
// Rows of a query as text, with values bound in order; false when it fails (failure gets the code).
bool queryRows(sqlite3* db, const QString& sql, QList<QStringList>* rows, const QVariantList& values = {},
               int* failure = nullptr);
// Runs statements on a file being written; a failure throws a FileError with `what` and SQLite's text.
void exec(sqlite3* db, const QString& sql, const QString& what);
// A bind that fails throws: a row written with a value missing would be a wrong row.
void checkBind(int rc, sqlite3_stmt* stmt);
void bindText(sqlite3_stmt* stmt, int position, const QString& text);

}  // namespace store::sqlite
