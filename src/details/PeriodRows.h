#pragma once

class Prompt;
class TDModulo;

namespace store {
class Dataset;
}

// How a row reaches a filed period under amendment, without windows: the voiding dialogs post
// through it. The rules a row keeps before that are in RowRules.
namespace periodrows {

// Whether the period row has an amendment in preparation: its number (Rectificativa) is not the
// one last generated (Rec_pre, empty read as 0).
bool amendmentInPreparation(const store::Dataset& period);

// Posts a row voided or added in the filed period that TAnticipos stands on: the row takes the
// period, and the first change since the last generated declaration raises the amendment number
// (Rectificativa), both in one change. False after "No hay Anticipos Generados".
bool postToFiledPeriod(TDModulo& m, Prompt& prompt, store::Dataset& rows);

}  // namespace periodrows
