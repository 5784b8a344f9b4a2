#include "FixedColumns.h"

#include <algorithm>

namespace imports {

QStringView cut(QStringView line, Columns columns)
{
    // 64 bits: the bounds of an unbounded spinner must not overflow.
    const qint64 count = qint64(columns.to) - qint64(columns.from) + 1;
    if (count <= 0)
        return {};
    const qint64 start = columns.from < 1 ? 1 : columns.from;
    const qint64 size = line.size();
    if (start > size)
        return {};
    return line.mid(qsizetype(start - 1), qsizetype(std::min(count, size - start + 1)));
}

QStringView trimmed(QStringView value)
{
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && value[begin].unicode() <= ' ')
        ++begin;
    while (end > begin && value[end - 1].unicode() <= ' ')
        --end;
    return value.mid(begin, end - begin);
}

QString upperAscii(QStringView value)
{
    QString result;
    upperAsciiInto(value, result);
    return result;
}

void upperAsciiInto(QStringView value, QString& into)
{
    into.resize(value.size());
    QChar* out = into.data();
    for (QChar c : value)
        *out++ = c.unicode() >= 'a' && c.unicode() <= 'z' ? QChar(c.unicode() - 'a' + 'A') : c;
}

void copyInto(QStringView value, QString& into)
{
    into.resize(value.size());
    std::copy(value.begin(), value.end(), into.begin());
}

}  // namespace imports
