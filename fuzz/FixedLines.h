#pragma once

#include "imports/FixedColumns.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

// Inputs of the fixed-column targets: a first line with the fourteen positions of the seven
// values ("Desde Hasta" each, in the order of the dialog's rows), then the lines to read, as
// UTF-8. A position missing or unreadable is 1, as the spinners start. And the cutting of a value
// as the description of the imports puts it, one position at a time.
namespace fuzz {

struct FixedInput {
    std::array<imports::Columns, 7> columns;
    QList<QString> lines;
};

inline FixedInput fixedInput(const QByteArray& bytes)
{
    FixedInput input;
    const qsizetype end = bytes.indexOf('\n');
    const QList<QByteArray> positions = bytes.left(end < 0 ? bytes.size() : end).split(' ');
    for (int i = 0; i < 14; ++i) {
        bool ok = false;
        const int value = positions.value(i).trimmed().toInt(&ok);
        int& place = i % 2 == 0 ? input.columns[size_t(i / 2)].from : input.columns[size_t(i / 2)].to;
        place = ok ? value : 1;
    }
    if (end >= 0)
        for (const QByteArray& line : bytes.mid(end + 1).split('\n'))
            input.lines << QString::fromUtf8(line);
    return input;
}

// The characters from position `from` to `to`, counted from 1: a range past the end of the
// line gives what is there, a reversed one nothing, and a `from` below 1 starts at 1 with the
// count of to - from + 1 kept.
inline QString referenceCut(const QString& line, imports::Columns c)
{
    const qint64 count = qint64(c.to) - qint64(c.from) + 1;
    const qint64 first = c.from < 1 ? 1 : c.from;
    QString value;
    for (qint64 position = 1; position <= line.size(); ++position)
        if (position >= first && position < first + count)
            value += line[qsizetype(position - 1)];
    return value;
}

// Without blanks and control characters (everything up to the space) at either end.
inline QString referenceTrim(QString value)
{
    while (!value.isEmpty() && value.front().unicode() <= ' ')
        value.remove(0, 1);
    while (!value.isEmpty() && value.back().unicode() <= ' ')
        value.chop(1);
    return value;
}

inline QString referenceExtract(const QString& line, imports::Columns c)
{
    return referenceTrim(referenceCut(line, c));
}

// Only a to z become capitals.
inline QString referenceUpper(QString value)
{
    for (QChar& ch : value)
        if (ch >= QLatin1Char('a') && ch <= QLatin1Char('z'))
            ch = QChar(ch.unicode() - 32);
    return value;
}

// A whole number written in decimal digits with an optional sign, of at most 15 digits: form
// numbers are kept to that, since the table holds them as floats.
inline std::optional<qint64> referenceNumber(const QString& text)
{
    QString digits = text;
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative || digits.startsWith(QLatin1Char('+')))
        digits.remove(0, 1);
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 999999999999999LL)
            return std::nullopt;
    }
    return negative ? -value : value;
}

// The C.U.I.T. check as the data module's rules describe it: empty passes; otherwise exactly 11
// decimal digits, not all zero, whose 11th is the check digit of the weights 5432765432.
inline bool referenceCuit(const QString& t)
{
    if (t.isEmpty())
        return true;
    if (t.size() != 11)
        return false;
    const int weights[10] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    bool zero = true;
    for (int i = 0; i < 11; ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        zero = zero && c == u'0';
        if (i < 10)
            sum += (c - u'0') * weights[i];
    }
    if (zero)
        return false;
    int check = 11 - sum % 11;
    if (check == 10 || check == 11)
        check = 0;
    return t[10].unicode() - u'0' == check;
}

}  // namespace fuzz
