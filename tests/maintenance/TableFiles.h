#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// Table files as they lie on disk, read with SQLite itself rather than through the store the
// tests check, and damaged the ways files get damaged.
namespace tablefiles {

QByteArray bytes(const QString& path);
void write(const QString& path, const QByteArray& data);

// Rows by the number in their first column, each value as text ("<null>", blobs as x'…').
using Rows = QMap<qint64, QStringList>;
Rows query(const QString& file, const QString& sql);
// The rows of one of the program's tables, by row number, with all its fields.
Rows tableRows(const QString& file, const QString& table);
// The rows a side table holds for one of the program's tables, by the old row number.
Rows setAside(const QString& file, const QString& table);

// The leaf pages of a table in key order, with the row numbers each holds.
struct Leaf {
    int page;
    QList<qint64> rowids;
};
QList<Leaf> leaves(const QString& file, const QString& table);
// The overflow pages of a table, in the order of their chains.
QList<int> overflowPages(const QString& file, const QString& table);

int pageSize(const QString& file);
void garblePage(const QString& file, int page, quint32 seed);

// Runs statements on a file, creating it when missing; fails the test on error.
void exec(const QString& file, const QString& sql);

}  // namespace tablefiles
