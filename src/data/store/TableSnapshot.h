#pragma once

#include "TableDef.h"

#include <QList>
#include <QString>
#include <QStringList>

// Copies of the table files taken while the program may be writing them, and the reading of
// single table files that a copy is judged by. Each throws StoreError with a Spanish text.
namespace store {

// Copies the tables of folder into destinationFolder (which must exist) under their own file
// names, as one state of them all: a read transaction over every file holds off any commit
// while SQLite's online backup copies the pages, so no copy is torn and no change that spans
// two tables is found in one and not the other. The tables are only read: a file left with a
// journal by a crash is first put right by Database::checkTableFile. Check the copies, not the
// tables, before trusting them: the tables may be changing meanwhile. The copies are not synced:
// they are for what the caller writes next from them.
void snapshotTables(const QString& folder, const QList<TableDef>& tables, const QString& destinationFolder);

// SQLite's full integrity check of one file, read-only; false when it finds anything.
bool tableFileIntact(const QString& path);

// The rows of a query on one table file opened read-only, as text.
QList<QStringList> queryTableFile(const QString& path, const QString& sql);

}  // namespace store
