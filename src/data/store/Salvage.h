#pragma once

#include "PageImage.h"
#include "TableDef.h"

#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// Salvage of one table from the image of its file: every row whose record decodes whole and
// passes the table's field rules, and an account of the rest. Rows are read through the table's
// b-tree from its root; when that tree cannot be walked whole, every other page of the file is
// looked at for leaves of the table, and the index pages for keys of rows lost otherwise.
namespace store::salvage {

struct Handlers {
    // A row for the table: one value per field of the definition, in its order.
    std::function<void(qint64 rowid, const QList<pages::Value>& values)> row;
    // A row that cannot go into the table; rowid when it could be read.
    std::function<void(std::optional<qint64> rowid, const QList<pages::Value>& values, const QString& why)> problem;
    // Called now and then with the pages looked at so far; may throw to stop.
    std::function<void(int done, int total)> progress;
};

struct Outcome {
    bool found = false;     // the table is in the file: its definition, or leaves that fit it
    QString notFoundWhy;    // when not found: why the file is not this table
    bool whole = false;     // its tree was walked whole and every cell of it decoded
    bool timedOut = false;  // the deadline passed before the file was read through
    qint64 sequence = 0;    // the highest number the file says it gave, 0 when unknown
};

Outcome salvageTable(const TableDef& def, const pages::PageImage& image, const Handlers& handlers,
                     QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

}  // namespace store::salvage
