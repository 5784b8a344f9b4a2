#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <cstddef>
#include <vector>

namespace declcheck {

// The C.U.I.T.s a declaration names, each held once in 8 bytes with what named it: a row of
// the period (records 020 and 030) or a client (record 040). The rows come before the clients,
// so a row's client is only known at the end; a large file names millions of them, hence no
// text and no hash per C.U.I.T.
class ClientKeys {
public:
    static constexpr quint64 Referenced = 1;
    static constexpr quint64 Declared = 2;

    // Keys are gathered 2^batchBits at a time (4 MiB by default) before they are sorted and merged.
    explicit ClientKeys(int batchBits = 19);
    ~ClientKeys();
    ClientKeys(const ClientKeys&) = delete;
    ClientKeys& operator=(const ClientKeys&) = delete;

    // A value as a key: up to 17 digits are held exactly, with their count, and keep their
    // order; anything else, never a valid C.U.I.T., is held by a hash of its bytes.
    static quint64 key(QByteArrayView value);

    void add(quint64 key, quint64 flag);
    // The same for a key above every key given so far this way: clients in C.U.I.T. order
    // need no table.
    void addAscending(quint64 key, quint64 flag);
    // Whether the key was added as Declared.
    bool declared(quint64 key);
    // After the file: keeps only the keys of rows that no client declares.
    void keepMissing();
    bool missing(quint64 key) const;
    bool anyMissing() const { return m_size > 0; }

private:
    void grow();
    void flush();
    void mergeInto(const quint64* from, std::size_t count);
    std::size_t sortedIndex(quint64 key) const;

    const std::size_t m_batch;
    const int m_lastBits;
    // Each entry is a key shifted left by two with its flags below, so that entries sort by key.
    // Sorted and merged in batches; realloc'd so that its growth is not a copy.
    quint64* m_sorted = nullptr;
    std::size_t m_size = 0, m_capacity = 0;
    // The latest clients' keys out of order, in an open-addressed table (0 is a free slot) of
    // 2^m_bits slots.
    std::vector<quint64> m_table;
    int m_bits;
    std::vector<quint64> m_run;   // the ascending keys, in order
    std::vector<quint64> m_rows;  // the rows' keys, as they come
    std::size_t m_pending = 0;
};

}  // namespace declcheck
