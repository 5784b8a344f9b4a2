#pragma once

#include <QString>
#include <QStringView>

namespace imports {

// The columns of one value in every line: positions counted from 1, both ends included.
// The spinners that give them have no bounds, so any int is possible.
struct Columns {
    int from = 1;  // "Desde"
    int to = 1;    // "Hasta"
};

// The characters from `from` to `to`. A range past the end of the line gives what is there, a
// reversed range gives nothing, and a `from` below 1 starts at 1 with the count kept.
QStringView cut(QStringView line, Columns columns);
// Without leading and trailing blanks and control characters (everything up to the space).
QStringView trimmed(QStringView value);
// cut, then trimmed.
inline QStringView extract(QStringView line, Columns columns) { return trimmed(cut(line, columns)); }

// Only a to z become capitals; accented letters and everything else stay as they are.
QString upperAscii(QStringView value);
// The same into a string kept from line to line, whose buffer is reused; copyInto without the
// capitals.
void upperAsciiInto(QStringView value, QString& into);
void copyInto(QStringView value, QString& into);

}  // namespace imports
