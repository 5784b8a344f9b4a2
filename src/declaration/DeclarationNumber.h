#pragma once

#include <QString>

// The number form of the declaration file: at most 15 significant digits, no trailing zeros,
// a decimal comma, no thousands separator; exponent form ("1,5E20", "1E-6") only for values
// with more than 15 integer digits or below 0.00001. It never depends on the machine's locale.
QString declarationNumber(double value);

// The same form as ASCII bytes: writes at most DeclarationNumberSize bytes at out and returns
// how many. For the writer, which builds its lines as bytes.
constexpr int DeclarationNumberSize = 32;
int declarationNumber(double value, char* out);
