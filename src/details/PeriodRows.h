#pragma once

class Prompt;
class TDModulo;

namespace store {
class Dataset;
}

// The rules of the printed-forms and machine rows, without windows: the entry dialogs, the
// voiding dialogs and the detail import share them.
namespace periodrows {

// Booklets are counted from the first and last form numbers, both included.
double canTalonarios(double desde, double hasta);
// The first number is not past the last; whole form numbers compare, halves round to the even
// neighbour as the grids show them.
bool numbersInOrder(double desde, double hasta);

// Whether the period row has an amendment in preparation: its number (Rectificativa) is not the
// one last generated (Rec_pre, empty read as 0).
bool amendmentInPreparation(const store::Dataset& period);

// Posts a row voided or added in the filed period that TAnticipos stands on: the row takes the
// period, and the first change since the last generated declaration raises the amendment number
// (Rectificativa), both in one change. False after "No hay Anticipos Generados".
bool postToFiledPeriod(TDModulo& m, Prompt& prompt, store::Dataset& rows);

}  // namespace periodrows
