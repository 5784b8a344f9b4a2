#include "ClientKeys.h"

#include <QHash>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace declcheck {

namespace {

constexpr quint64 Flags = ClientKeys::Referenced | ClientKeys::Declared;
constexpr int LengthShift = 57;
constexpr quint64 ValueMask = (quint64(1) << LengthShift) - 1;
constexpr quint64 Hashed = quint64(31) << LengthShift;
constexpr int MaxDigits = 17;  // 10^17 < 2^57

// The table starts small, for the small files of every day, and stops growing at 1 MiB.
constexpr int FirstBits = 8, LastBits = 17;

std::size_t slotOf(quint64 key, int bits) { return std::size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - bits)); }

bool byKey(quint64 a, quint64 b) { return (a & ~Flags) < (b & ~Flags); }

}  // namespace

ClientKeys::ClientKeys() : m_table(std::size_t(1) << FirstBits, 0), m_bits(FirstBits) {}

ClientKeys::~ClientKeys() { std::free(m_sorted); }

quint64 ClientKeys::key(QByteArrayView value)
{
    const qsizetype n = value.size();
    if (n <= MaxDigits) {
        quint64 number = 0;
        qsizetype i = 0;
        for (; i < n; ++i) {
            const unsigned digit = unsigned(uchar(value[i])) - '0';
            if (digit > 9)
                break;
            number = number * 10 + digit;
        }
        if (i == n)
            return (quint64(n) << LengthShift) | number;
    }
    return Hashed | (quint64(qHash(value, 0)) & ValueMask);
}

void ClientKeys::add(quint64 key, quint64 flag)
{
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t slot = slotOf(key, m_bits);; slot = (slot + 1) & mask) {
        quint64& entry = m_table[slot];
        if (entry == 0) {
            entry = key | flag;
            if (++m_pending >= m_table.size() / 2)
                m_bits < LastBits ? grow() : flush();
            return;
        }
        if ((entry & ~Flags) == key) {
            entry |= flag;
            return;
        }
    }
}

void ClientKeys::grow()
{
    std::vector<quint64> old(std::size_t(1) << (m_bits + 1), 0);
    old.swap(m_table);
    ++m_bits;
    const std::size_t mask = m_table.size() - 1;
    for (const quint64 entry : old)
        if (entry != 0) {
            std::size_t slot = slotOf(entry & ~Flags, m_bits);
            while (m_table[slot] != 0)
                slot = (slot + 1) & mask;
            m_table[slot] = entry;
        }
}

bool ClientKeys::has(quint64 key, quint64 flag)
{
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t slot = slotOf(key, m_bits);; slot = (slot + 1) & mask) {
        const quint64 entry = m_table[slot];
        if (entry == 0)
            break;
        if ((entry & ~Flags) == key && (entry & flag))
            return true;
    }
    const std::size_t i = sortedIndex(key);
    return i < m_size && (m_sorted[i] & ~Flags) == key && (m_sorted[i] & flag);
}

std::size_t ClientKeys::sortedIndex(quint64 key) const
{
    return std::size_t(std::lower_bound(m_sorted, m_sorted + m_size, key, byKey) - m_sorted);
}

// The table's keys join the sorted ones: merged from the back into the grown array, then equal
// keys joined with their flags.
void ClientKeys::flush()
{
    if (m_pending == 0)
        return;
    const auto batch = std::remove(m_table.begin(), m_table.end(), quint64(0));
    std::sort(m_table.begin(), batch, byKey);
    const std::size_t n = std::size_t(batch - m_table.begin());
    if (m_size + n > m_capacity) {
        const std::size_t capacity = std::max(m_size + n, m_capacity * 2);
        auto* grown = static_cast<quint64*>(std::realloc(m_sorted, capacity * sizeof(quint64)));
        if (!grown)
            throw std::bad_alloc();
        m_sorted = grown;
        m_capacity = capacity;
    }
    std::size_t a = m_size, b = n, out = m_size + n;
    while (b > 0) {
        if (a > 0 && byKey(m_table[b - 1], m_sorted[a - 1]))
            m_sorted[--out] = m_sorted[--a];
        else
            m_sorted[--out] = m_table[--b];
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_size + n; ++i) {
        if (kept > 0 && (m_sorted[kept - 1] & ~Flags) == (m_sorted[i] & ~Flags))
            m_sorted[kept - 1] |= m_sorted[i];
        else
            m_sorted[kept++] = m_sorted[i];
    }
    m_size = kept;
    std::fill(m_table.begin(), m_table.end(), quint64(0));
    m_pending = 0;
}

void ClientKeys::keepMissing()
{
    flush();
    m_size = std::size_t(
        std::remove_if(m_sorted, m_sorted + m_size, [](quint64 k) { return (k & Flags) != Referenced; }) - m_sorted);
    m_table = {};
}

bool ClientKeys::missing(quint64 key) const
{
    const std::size_t i = sortedIndex(key);
    return i < m_size && (m_sorted[i] & ~Flags) == key;
}

}  // namespace declcheck
