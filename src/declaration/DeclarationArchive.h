#pragma once

#include "DeclarationPage.h"

#include <QString>

class Prompt;
class QIODevice;
class TDModulo;

// Every filed form kept as a PDF below the tables' folder: both copies, drawn as they are
// printed, so a form the printer never produced, or one filed months ago, can be had again.
// Needs the toolkit's graphical part (fonts), not a screen.
namespace archive {

// The printed page's data for the current period row of TAnticipos and the agent row, with the
// body rows of Qrep (open on the period), the control code and the activity labels set.
DeclarationData pageData(TDModulo& m, const QString& codigo, const QString& copyLabel);

// The activity name and its "Rubro:" for each of the agent's flags that is "S": printing shop,
// machine vendor, self-printer.
void setActivities(TDModulo& m, DeclarationData::Activity (&activities)[3]);

// ddjj/<C.U.I.T.><año><anticipo>.pdf below the tables' folder for the current period row;
// an amendment adds "-R<n>".
QString pdfPath(TDModulo& m);

// The copies, one page each, as a PDF written on device; false when a page cannot be drawn.
bool drawPdf(QIODevice& device, const QList<DeclarationData>& copies);

// Both copies, the office's first, into one PDF that replaces a file of the same name whole or
// not at all. Throws store::StoreError (FileError) when it cannot be written.
void writePdf(const DeclarationData& officeCopy, const QString& path);

// After a filing, re-issue or amendment (Qrep open on the period): keeps its PDF and answers
// its path. The filing is done whatever happens here: a failure is told and answers nothing.
QString keepPdf(TDModulo& m, Prompt& prompt, const QString& codigo);

// What the user is told when there was no printer for a form kept in the PDF at pdf.
QString noPrinterNotice(const QString& pdf);

// The PDF of a filed period, made again from the tables when it is missing. Moves TAnticipos
// to the period and refills the report rows. Throws store::StoreError.
QString pdfOfFiledPeriod(TDModulo& m, const QString& anio, const QString& anticipo);

}  // namespace archive
