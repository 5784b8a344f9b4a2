#pragma once

#include <QDate>
#include <QString>

// The program's fixed regional forms, the same in every grid, box, file and printed page and
// never the machine's: a decimal comma, "." between thousands only in prices, day/month/year.
namespace store::formats {

// A number: at most 15 significant digits, no trailing zeros, a decimal comma, no thousands
// separator; exponent form ("1,5E20", "1E-6") only for values with more than 15 integer digits
// or below 0.00001. The declaration file's form, and the grids'.
QString number(double value);
// The same form as ASCII bytes: writes at most NumberSize bytes at out and returns how many.
// For the file writer, which builds its lines as bytes.
constexpr int NumberSize = 32;
int number(double value, char* out);

// A price as the grids show it: #,##0.00 ("1.234.567,50").
QString money(double value);
// A price as its edit box shows it: ###0.00 ("1234567,50"), which reads back the same.
QString twoDecimals(double value);

// dd/mm/yyyy; empty for no date.
QString date(const QDate& value);

}  // namespace store::formats
