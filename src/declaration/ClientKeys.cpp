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
constexpr int FirstBits = 4, LastBits = 17;

std::size_t slotOf(quint64 key, int bits) { return std::size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - bits)); }

constexpr quint64 keyOf(quint64 entry) { return entry >> 2; }

}  // namespace

ClientKeys::ClientKeys(int batchBits)
    : m_batch(std::size_t(1) << batchBits), m_lastBits(std::max(FirstBits, std::min(LastBits, batchBits))),
      m_table(std::size_t(1) << FirstBits, 0), m_bits(FirstBits)
{}

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
    if (flag == Referenced) {
        if (m_rows.capacity() == 0)
            m_rows.reserve(m_batch + (std::size_t(1) << m_lastBits) / 2);
        m_rows.push_back(key << 2 | flag);
        if (m_rows.size() >= m_batch)
            flush();
        return;
    }
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t slot = slotOf(key, m_bits);; slot = (slot + 1) & mask) {
        quint64& entry = m_table[slot];
        if (entry == 0) {
            entry = key << 2 | flag;
            if (++m_pending >= m_table.size() / 2)
                m_bits < m_lastBits ? grow() : flush();
            return;
        }
        if (keyOf(entry) == key) {
            entry |= flag;
            return;
        }
    }
}

void ClientKeys::addAscending(quint64 key, quint64 flag)
{
    if (m_run.capacity() == 0)
        m_run.reserve(m_batch);
    m_run.push_back(key << 2 | flag);
    if (m_run.size() >= m_batch)
        flush();
}

void ClientKeys::grow()
{
    std::vector<quint64> old(std::size_t(1) << (m_bits + 1), 0);
    old.swap(m_table);
    ++m_bits;
    const std::size_t mask = m_table.size() - 1;
    for (const quint64 entry : old)
        if (entry != 0) {
            std::size_t slot = slotOf(keyOf(entry), m_bits);
            while (m_table[slot] != 0)
                slot = (slot + 1) & mask;
            m_table[slot] = entry;
        }
}

bool ClientKeys::declared(quint64 key)
{
    constexpr quint64 flag = Declared;
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t slot = slotOf(key, m_bits);; slot = (slot + 1) & mask) {
        const quint64 entry = m_table[slot];
        if (entry == 0)
            break;
        if (keyOf(entry) == key && (entry & flag))
            return true;
    }
    const auto run = std::lower_bound(m_run.begin(), m_run.end(), key << 2);
    if (run != m_run.end() && keyOf(*run) == key && (*run & flag))
        return true;
    const std::size_t i = sortedIndex(key);
    return i < m_size && keyOf(m_sorted[i]) == key && (m_sorted[i] & flag);
}

std::size_t ClientKeys::sortedIndex(quint64 key) const
{
    return std::size_t(std::lower_bound(m_sorted, m_sorted + m_size, key << 2) - m_sorted);
}

// The table's keys and the ascending ones join the sorted ones: merged from the back into the
// grown array, then equal keys joined with their flags.
void ClientKeys::flush()
{
    // The table's keys, few unless the clients are out of order, join the rows'.
    if (m_pending > 0) {
        for (quint64& entry : m_table)
            if (entry != 0) {
                m_rows.push_back(entry);
                entry = 0;
            }
        m_pending = 0;
    }
    std::sort(m_rows.begin(), m_rows.end());
    const std::size_t n = m_rows.size(), r = m_run.size();
    if (n + r == 0)
        return;
    if (m_size + n + r > m_capacity) {
        const std::size_t capacity = std::max(m_size + n + r, m_capacity * 2);
        auto* grown = static_cast<quint64*>(std::realloc(m_sorted, capacity * sizeof(quint64)));
        if (!grown)
            throw std::bad_alloc();
        m_sorted = grown;
        m_capacity = capacity;
    }
    mergeInto(m_rows.data(), n);
    mergeInto(m_run.data(), r);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_size; ++i) {
        if (kept > 0 && keyOf(m_sorted[kept - 1]) == keyOf(m_sorted[i]))
            m_sorted[kept - 1] |= m_sorted[i];
        else
            m_sorted[kept++] = m_sorted[i];
    }
    m_size = kept;
    m_rows.clear();
    m_run.clear();
}

// Sorted entries merged from the back into the room after the sorted ones.
void ClientKeys::mergeInto(const quint64* from, std::size_t count)
{
    std::size_t a = m_size, b = count, out = m_size + count;
    while (a > 0 && b > 0) {
        const quint64 x = m_sorted[a - 1], y = from[b - 1];
        const bool fromSorted = x > y;  // without a branch: the order of two batches is anybody's guess
        m_sorted[--out] = fromSorted ? x : y;
        a -= fromSorted;
        b -= !fromSorted;
    }
    while (b > 0)
        m_sorted[--out] = from[--b];
    m_size += count;
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
    return i < m_size && keyOf(m_sorted[i]) == key;
}

}  // namespace declcheck
