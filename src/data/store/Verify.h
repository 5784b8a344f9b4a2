#pragma once

#include "UtilSession.h"

// The verification of a table file: what is found in it, without changing it, and the report
// table the findings are written to.
namespace store::util {

struct Finding {
    int level;  // a VerifyLevel
    QString text;
};

QList<Finding> examine(UtilSession& s, const Target& t);
// One table "verify" whose rows of this table file replace those of its last verification.
void writeVerifyReport(const QString& path, const TableDef& def, const QList<Finding>& found);

}  // namespace store::util
