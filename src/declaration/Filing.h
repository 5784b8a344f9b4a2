#pragma once

#include <QString>
#include <functional>

// The steps the generating windows share: the period shown by the two period views, the
// diskette check, the file, the report data and the printout.
namespace filing {

// "anio='<anio>' and Anticipo='<anticipo>'".
QString periodFilter(const QString& anio, const QString& anticipo);
// The period views TVerDetalles and TVerMaquinas show the rows of one filed period...
void showPeriod(const QString& anio, const QString& anticipo);
// ...or those of the open period.
void showOpenPeriod();

// The diskette: "Inserte un diskette", then the room on it; false after "No hay suficiente
// espacio en el disco". A folder destination passes without a word. afterPrompt runs once the
// diskette message is dismissed (the window that asked is active again).
bool acceptDestination(const QString& destino, const std::function<void()>& afterPrompt = {});

// The declaration file of the current period row under the hourglass; answers its full name.
QString writeDeclaration(const QString& destino, const QString& codigo);

// Formularios.db refilled with the period's totals and Qrep opened on the period.
void prepareReport(const QString& anio, const QString& anticipo);

// Both copies of the printed declaration. The filing stays done whatever happens here: an
// error is shown, never thrown.
void printDeclaration(const QString& codigo);

// Closes the amendment in preparation of the current period row: Rec_pre takes Rectificativa.
void closeAmendment();

// Re-issues the current period row of TAnticipos to a destination already accepted: control
// code, period views, file, report data, the success message and the printout.
void generateFiledPeriod(const QString& destino);

}  // namespace filing
