#pragma once

#include <QList>
#include <QString>

class TDModulo;

// The rows a declaration is about to be written from, checked before anything changes: every
// value as the file would hold it, against the rules the verifier applies to the file, and a
// range of forms declared twice. No windows: the caller shows what was found.
namespace filingcheck {

struct Finding {
    QString row;   // which row: the period, the agent, a form with its client and numbers…
    QString text;  // what is wrong, naming the field as the windows label it
};

struct Result {
    QList<Finding> faults;    // the declaration cannot be filed as the rows stand
    QList<Finding> warnings;  // a range repeated or overlapping: filed only when the user accepts
    bool truncated = false;   // more findings than MaxFindings of a kind; the first ones are kept
};

constexpr int MaxFindings = 1000;

// Checks the current row of TAnticipos (a pending one as it will be stored), the agent of
// TImprentas, the rows the period views TVerDetalles and TVerMaquinas show under the caller's
// filter, and every client. Their ranges of forms are compared with the rest of this period's
// and with those of every filed period, voided rows left out. Reads through scans: a period
// of a million rows is not held in memory.
Result check(TDModulo& m);

// What was found, as the user reads it: a heading and one line per finding, at most `shown`.
QString faultsText(const Result& result, int shown = 25);
QString warningsText(const Result& result, int shown = 25);

}  // namespace filingcheck
