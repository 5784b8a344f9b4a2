#pragma once

#include <QString>
#include <functional>

class Prompt;
class TDModulo;

// Filing the open period and re-issuing a filed one, without windows: the checks and their
// messages through the Prompt, then the period row, the declaration file, the stamped rows and
// the report data as one change that survives a crash whole or not at all. The windows and the
// command line call these, then print.
namespace filing {

// "anio='<anio>' and Anticipo='<anticipo>'".
QString periodFilter(const QString& anio, const QString& anticipo);
// The period views TVerDetalles and TVerMaquinas show the rows of one filed period...
void showPeriod(TDModulo& m, const QString& anio, const QString& anticipo);
// ...or those of the open period.
void showOpenPeriod(TDModulo& m);

// The diskette: "Inserte un diskette", then the room on it; false after "No hay suficiente
// espacio en el disco". A folder destination passes without a word. afterPrompt runs once the
// diskette message is dismissed.
bool acceptDestination(TDModulo& m, Prompt& prompt, const QString& destino,
                       const std::function<void()>& afterPrompt = {});

// Formularios.db refilled with the period's totals and Qrep opened on the period.
void prepareReport(TDModulo& m, const QString& anio, const QString& anticipo);

enum class Result {
    Filed,          // the file is in place, the change committed
    MissingPeriod,  // "Cargar Anio y el Anticipo"
    AlreadyFiled,   // "Este Anticipo ya fue Presentado"
    NoRoom,         // "No hay suficiente espacio en el disco"
    Faulty,         // the rows hold values the declaration cannot carry; each one was told
    Warned,         // a range of forms declared twice, and the filing was not to go on
};

// What becomes of a range of forms declared twice: the windows ask ("No" by default), the
// command line files only when told to beforehand.
enum class Warnings { Ask, Accept, Refuse };

struct Outcome {
    Result result = Result::Filed;
    QString codigo;  // the control code, when filed
    QString path;    // the declaration file, when filed
};

// Files the open period as the pending row of TAnticipos gives it. A change typed and not yet
// stored in any other view is dropped first, so that the file, the stamped rows and the tables
// agree; then the rows are checked (filingcheck) and the file written is verified before the
// change commits. Every stop before the commit leaves the tables, the row's pending state and
// any earlier file of the same name as they were; errors are thrown (StoreError) after the
// change was rolled back.
Outcome fileOpenPeriod(TDModulo& m, Prompt& prompt, const QString& destino, Warnings warnings = Warnings::Ask);

// Re-issues the current period row of TAnticipos to a destination already accepted: its file
// and report data, and, with closeTheAmendment, the amendment in preparation closed in the same
// change. The same dropping of pending changes, check and verification as above.
Outcome fileFiledPeriod(TDModulo& m, Prompt& prompt, const QString& destino, bool closeTheAmendment,
                        Warnings warnings = Warnings::Ask);

}  // namespace filing
