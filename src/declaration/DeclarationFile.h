#pragma once

#include <QByteArray>
#include <QString>

class TDModulo;

namespace store {
class AliasConfig;
}

// The sworn declaration file: its name and place, the control code that ties it to the printed
// declaration, the verification line and the writer. No windows: callers show the messages.
// Errors are store::StoreError: ConversionError for a control code that is not made of decimal
// pieces or a text the file's code page cannot hold, FileError when the file cannot be written.

// The first line of the file and its last.
inline constexpr char DeclarationHeader[] = "TARVENIOV1.2";
inline constexpr char DeclarationEnd[] = "Eof";

// The control code: the first 10 characters of year, anticipo and C.U.I.T., in five pieces of
// two, each above "80" less 19, each below "33" plus 48, the others unchanged.
QString CodigoControl(const QString& anio, const QString& anticipo, const QString& cuit);

// Line 2 of the file: five bytes, one per piece of the control code plus its offset.
QByteArray Encriptar(const QString& codigo);

// "<C.U.I.T.><year><anticipo of 2>", the name of every file kept of a period before its ending.
QString declarationStem(const QString& cuit, const QString& anio, const QString& anticipo);
// "<C.U.I.T.><year><anticipo of 2>.imp".
QString declarationFileName(const QString& cuit, const QString& anio, const QString& anticipo);

// The full name of the file: a destination beginning with exactly "A:" means the root of drive
// A: (the folder configured for it, see store::AliasConfig::driveFolder); any other destination
// is a folder, joined to the name with one native separator.
QString declarationPath(const QString& destino, const QString& fileName, const store::AliasConfig* config);

// The full name of the declaration file of the current TAnticipos row in destino.
QString declarationTarget(TDModulo& modulo, const QString& destino);

// Writes the declaration of the current TAnticipos row into the file `path`: the agent of
// TImprentas, every row of TVerDetalles and TVerMaquinas as the caller filtered them, every
// client of TCliente. The file appears whole or not at all; a same-named earlier file stays as
// it was until the new one replaces it. The period views are left after their last row, their
// filters untouched. The program writes it only through the filing (PeriodFiling.h).
void writeDeclarationFile(TDModulo& modulo, const QString& path, const QString& codigo);
