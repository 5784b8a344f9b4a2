#pragma once

#include "DeclarationStream.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <cstring>

// The reading under the verifier's checks: the file's blocks cut into lines, a line kept across
// blocks only up to what a record can be, and a record cut into its quoted fields without a copy
// of any value that needs none.
namespace declcheck {

constexpr int KeptFields = 16;  // more than any record has; the rest are only counted

// The values of a record, views of its line (or of the copy of a value that had a quote
// doubled); left unset past `count`, since every line has one.
struct Fields {
    const char* data[KeptFields];
    qsizetype size[KeptFields];
    int count = 0;
    QByteArrayView operator[](int i) const
    {
        return i < std::min(count, KeptFields) ? QByteArrayView(data[i], size[i]) : QByteArrayView();
    }
    void add(QByteArrayView v)
    {
        if (count < KeptFields) {
            data[count] = v.data();
            size[count] = v.size();
        }
        ++count;
    }
};

// Why a record could not be cut into fields: at the field of that position (from 1), or, at 0,
// in the record as a whole.
struct SplitFault {
    int position = 0;
    QString text;
};

class RecordReader {
public:
    // Gives each line that ends in block to line(kept, length, last, lf): kept holds the line, or
    // its first LongestLine + 1 bytes at least when it is longer, length counts all its bytes (a
    // CR included), last is its last one; line answers false once the rest of the file is of no
    // use, and the reading stops.
    template <class OnLine>
    void feed(QByteArrayView block, OnLine&& line)
    {
        const char* p = block.data();
        const char* const end = p + block.size();
        while (p < end) {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
            const char* stop = lf ? lf : end;
            bool more = true;
            if (lf && m_carryLength == 0) {
                const qsizetype n = stop - p;
                more = line(QByteArrayView(p, n), qint64(n), n > 0 ? stop[-1] : char(0), true);
            } else {
                carry(p, stop);
                if (lf)
                    more = lineFromCarry(line, true);
            }
            if (!more)
                return;
            p = lf ? lf + 1 : end;
        }
    }

    // The last line, when no LF ends it.
    template <class OnLine>
    void end(OnLine&& line)
    {
        if (m_carryLength > 0)
            lineFromCarry(line, false);
    }

    // The quoted fields of a record: a quote inside a value doubled, a comma between fields and
    // ";" after the last one, nothing else outside the quotes. A value with a doubled quote is
    // copied, once, into a scratch buffer; the others are views of the line. False for a record
    // that is not so, with the reason in fault unless it is null.
    bool split(QByteArrayView content, Fields& fields, SplitFault* fault);

private:
    void carry(const char* from, const char* to);

    template <class OnLine>
    bool lineFromCarry(OnLine& line, bool lf)
    {
        const bool more = line(QByteArrayView(m_carry), m_carryLength, m_carryLast, lf);
        m_carry.clear();
        m_carryLength = 0;
        return more;
    }

    QByteArray m_carry;  // a line across blocks, its first LongestLine + 1 bytes
    qint64 m_carryLength = 0;
    char m_carryLast = 0;
    QByteArray m_scratch;  // values with a doubled quote, without it
};

}  // namespace declcheck
