#include "RecordReader.h"

#include "DeclarationRecords.h"

#include <QtEndian>

namespace declcheck {

namespace {

// The next single quote from `from`, or null: values are short, so eight bytes at a time
// rather than a call per value.
const char* findQuote(const char* from, const char* end)
{
    constexpr quint64 ones = 0x0101010101010101ull, quotes = ones * '\'';
    for (; end - from >= 8; from += 8) {
        const quint64 x = qFromLittleEndian<quint64>(from) ^ quotes;
        if (const quint64 found = (x - ones) & ~x & (ones * 0x80))
            return from + qCountTrailingZeroBits(found) / 8;
    }
    for (; from < end; ++from)
        if (*from == '\'')
            return from;
    return nullptr;
}

}  // namespace

void RecordReader::carry(const char* from, const char* to)
{
    const qsizetype n = to - from;
    const qsizetype room = LongestLine + 1 - m_carry.size();  // one more for a CR
    if (room > 0)
        m_carry.append(from, std::min(n, room));
    if (n > 0)
        m_carryLast = to[-1];
    m_carryLength += n;
}

bool RecordReader::split(QByteArrayView content, Fields& fields, SplitFault* fault)
{
    const qsizetype n = content.size();
    const char* const text = content.data();
    if (m_scratch.size() < n)
        m_scratch.resize(n);
    char* scratch = m_scratch.data();
    qsizetype used = 0;
    qsizetype i = 0;
    const auto fail = [&](int position, const auto& message) {
        if (fault)
            *fault = {position, message()};
        return false;
    };
    for (int position = 1;; ++position) {
        if (i >= n || text[i] != '\'')
            return fail(position, [] { return QStringLiteral("el campo no empieza con una comilla"); });
        const qsizetype start = ++i;
        qsizetype copied = -1;  // where the value starts in m_scratch, once copied
        for (;;) {
            const char* quote = findQuote(text + i, text + n);
            if (!quote)
                return fail(position, [] { return QStringLiteral("falta la comilla que cierra el campo"); });
            const qsizetype q = quote - text;
            const bool doubled = q + 1 < n && text[q + 1] == '\'';
            if (doubled || copied >= 0) {
                if (copied < 0)
                    copied = used;
                std::memcpy(scratch + used, text + i, std::size_t(q - i));
                used += q - i;
            }
            if (doubled) {
                scratch[used++] = '\'';
                i = q + 2;
                continue;
            }
            fields.add(copied < 0 ? QByteArrayView(text + start, q - start)
                                  : QByteArrayView(scratch + copied, used - copied));
            i = q + 1;
            break;
        }
        if (i < n && text[i] == ',') {
            ++i;
            continue;
        }
        if (i < n && text[i] == ';') {
            if (i + 1 < n)
                return fail(0, [] { return QStringLiteral("hay texto después del ; que cierra el registro"); });
            return true;
        }
        return fail(position, [&] {
            using records::decode, records::shown;
            return i < n ? QStringLiteral(
                               "después de la comilla que cierra el campo viene %1; fuera de las comillas "
                               "solo van las comas y el ; final (¿falta una comilla?)")
                               .arg(shown(decode(content.sliced(i, 1))))
                         : QStringLiteral("el registro no termina con ;");
        });
    }
}

}  // namespace declcheck
