#pragma once

#include "declaration/PeriodFiling.h"

#include <QString>

// What the generating windows add to the filing core: the printout.
namespace filing {

// Both copies of the printed declaration, kept in the PDF archive and printed; with no printer
// the user is told where the PDF is. The filing stays done whatever happens here: an error is
// shown, never thrown.
void printDeclaration(const QString& codigo);

// Re-issues the current period row of TAnticipos to a destination already accepted (see
// fileFiledPeriod), then prints it; false when the check of its rows stopped it.
bool generateFiledPeriod(const QString& destino, bool closeTheAmendment);

}  // namespace filing
