#pragma once

#include "CommandLine.h"

#include <QString>
#include <cstdio>
#include <functional>

class TDModulo;
class TerminalPrompt;

namespace store {
class AliasConfig;
}

// The orders of the command line. Each is done by the same windowless function its window
// calls, with the same checks and messages; only the questions are answered by the order.
namespace orders {

enum Exit {
    Done = 0,       // the order was carried out
    ToCorrect = 1,  // something the user must correct: an option, the input, the period
    Damaged = 2,    // a damaged table, or a file that cannot be written
};

// Prints both copies of the declaration of the module's current period with its control code; answers
// whether both were printed.
using Printer = std::function<bool(TDModulo& modulo, const QString& codigo)>;

// Carries out the order and answers the exit status; nothing is thrown. Messages go through the
// prompt; out takes the order's answer: the full name of the declaration written, the summary
// of a sound declaration, what became of each table.
int run(const CommandLine& line, store::AliasConfig& config, TerminalPrompt& prompt, const Printer& print,
        std::FILE* out = stdout);

}  // namespace orders
