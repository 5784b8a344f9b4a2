#pragma once

#include <QString>
#include <QStringView>

namespace store {

// Table files and the files the program writes hold single-byte Windows-1252 text. One table of
// the code page, built once from the toolkit's codec, serves the store, the imports and the
// declaration file alike, so each accepts exactly what the others do.
bool fitsWindows1252(QStringView text);
// The byte of a character; false when the code page has none for it.
bool windows1252Byte(char32_t c, char* byte);
// The character of a byte (the replacement character for the five bytes the code page leaves out).
QChar windows1252Char(uchar byte);

}  // namespace store
