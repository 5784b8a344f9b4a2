#include "PageImage.h"

#include <QRegularExpression>
#include <cstring>
#include <limits>

namespace store::pages {

namespace {

const char Magic[] = "SQLite format 3";  // and its NUL: 16 bytes
const uchar JournalMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
constexpr int MaxDepth = 40;  // far deeper than any tree of a file under a terabyte

quint32 be32(const uchar* p) { return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]; }
int be16(const uchar* p) { return p[0] << 8 | p[1]; }

// A varint of the file format; false when it runs past `end`.
bool varint(const uchar* data, int end, int* at, quint64* value)
{
    quint64 v = 0;
    for (int i = 0; i < 9; ++i) {
        if (*at >= end)
            return false;
        const uchar b = data[(*at)++];
        if (i == 8) {
            *value = (v << 8) | b;
            return true;
        }
        v = (v << 7) | (b & 0x7f);
        if (!(b & 0x80)) {
            *value = v;
            return true;
        }
    }
    return false;
}

bool validPageSize(int size) { return size >= 512 && size <= 65536 && (size & (size - 1)) == 0; }

qint64 signedInteger(const uchar* p, int bytes)
{
    quint64 v = (p[0] & 0x80) ? ~quint64(0) : 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return qint64(v);
}

int serialLength(quint64 type)
{
    static const int fixed[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
    if (type < 10)
        return fixed[type];
    return int((type - 12 - (type & 1)) / 2);  // callers refuse 10, 11 and sizes past the payload
}

// ---------------------------------------------------------------- records

// Decodes a record; `declared` is the payload size the cell gave (the payload may be shorter when
// its overflow pages could not be read).
Record decodeRecord(const QByteArray& payload, quint64 declared)
{
    Record record;
    if (declared > quint64(std::numeric_limits<int>::max())) {  // no record of ours comes near
        record.fault = QStringLiteral("el registro dice tener un tamaño imposible");
        return record;
    }
    const auto* data = reinterpret_cast<const uchar*>(payload.constData());
    const int available = int(payload.size());
    int at = 0;
    quint64 headerSize = 0;
    if (!varint(data, available, &at, &headerSize) || headerSize < quint64(at) || headerSize > declared ||
        headerSize > quint64(available)) {
        record.fault = QStringLiteral("no se puede leer la cabecera del registro");
        return record;
    }
    QList<quint64> types;
    while (at < int(headerSize)) {
        quint64 type = 0;
        if (!varint(data, int(headerSize), &at, &type) || type == 10 || type == 11 ||
            type > quint64(declared) * 2 + 13) {
            record.fault = QStringLiteral("la cabecera del registro está dañada");
            return record;
        }
        types << type;
    }
    quint64 body = headerSize;
    for (quint64 type : types)
        body += quint64(serialLength(type));
    if (body != declared) {
        record.fault = QStringLiteral("el tamaño del registro no corresponde a sus campos");
        return record;
    }
    int offset = int(headerSize);
    for (quint64 type : types) {
        const int length = serialLength(type);
        Value value;
        if (offset + length > available) {
            value.kind = Value::Missing;
        } else if (type == 0) {
            value.kind = Value::Null;
        } else if (type <= 6) {
            value.kind = Value::Integer;
            value.integer = signedInteger(data + offset, length);
        } else if (type == 7) {
            const quint64 bits = quint64(signedInteger(data + offset, 8));
            value.kind = Value::Real;
            std::memcpy(&value.real, &bits, sizeof bits);
        } else if (type == 8 || type == 9) {
            value.kind = Value::Integer;
            value.integer = type == 9 ? 1 : 0;
        } else {
            value.kind = (type & 1) ? Value::Text : Value::Blob;
            value.bytes = payload.mid(offset, length);
        }
        offset += length;
        record.values << value;
    }
    if (offset > available)
        record.fault = QStringLiteral("parte del registro está en páginas que no se pueden leer");
    return record;
}

}  // namespace

// ---------------------------------------------------------------- the image

PageImage::PageImage(QByteArray file, const QByteArray& journal) : m_file(std::move(file))
{
    if (!journal.isEmpty())
        playJournal(journal);
    guessLayout();
}

void PageImage::playJournal(const QByteArray& journal)
{
    // The pages a crash left half changed go back to what the journal kept of them, as SQLite
    // would do at the next open; here only in memory, so the file itself is never written.
    const auto* j = reinterpret_cast<const uchar*>(journal.constData());
    const qint64 size = journal.size();
    qint64 header = 0;
    qint64 originalPages = -1;
    int pageSize = 0;
    bool playedAny = false;
    // A journal holds the pages a file lost, never more: a damaged one cannot make it grow past that.
    const qint64 largest = m_file.size() + journal.size();
    for (int segment = 0; segment < 1000 && header + 28 <= size; ++segment) {
        if (std::memcmp(j + header, JournalMagic, 8) != 0)
            break;
        const quint32 records = be32(j + header + 8);
        const quint32 nonce = be32(j + header + 12);
        const quint32 pages = be32(j + header + 16);
        const quint32 sector = be32(j + header + 20);
        const int size0 = int(be32(j + header + 24));
        if (!validPageSize(size0) || sector < 32 || sector > 65536 || (pageSize && size0 != pageSize))
            break;
        pageSize = size0;
        if (originalPages < 0)
            originalPages = pages;
        const qint64 recordSize = 8 + qint64(pageSize);
        qint64 at = header + sector;
        const qint64 count = records == 0xffffffffu ? (size - at) / recordSize : qint64(records);
        if (count == 0)
            break;
        qint64 played = 0;
        for (; played < count && at + recordSize <= size; ++played, at += recordSize) {
            const quint32 number = be32(j + at);
            const uchar* data = j + at + 4;
            quint32 sum = nonce;
            for (int i = pageSize - 200; i > 0; i -= 200)
                sum += data[i];
            if (number == 0 || sum != be32(data + pageSize))
                break;
            const qint64 offset = (qint64(number) - 1) * pageSize;
            if (number > pages || offset + pageSize > largest)
                continue;
            if (m_file.size() < offset + pageSize)
                m_file.resize(offset + pageSize, '\0');
            std::memcpy(m_file.data() + offset, data, size_t(pageSize));
            playedAny = true;
        }
        if (played < count)
            break;
        header = ((at + sector - 1) / sector) * sector;
    }
    if (playedAny && originalPages > 0 && m_file.size() > originalPages * pageSize)
        m_file.truncate(originalPages * pageSize);
}

void PageImage::guessLayout()
{
    const auto* head = reinterpret_cast<const uchar*>(m_file.constData());
    if (m_file.size() >= 100 && std::memcmp(head, Magic, 16) == 0) {
        const int size = be16(head + 16) == 1 ? 65536 : be16(head + 16);
        const int reserved = head[20];
        const quint32 encoding = be32(head + 56);
        if (validPageSize(size) && size - reserved >= 480 && encoding <= 1) {
            m_pageSize = size;
            m_reserved = reserved;
            m_headerIntact = true;
        }
    }
    if (!m_headerIntact) {
        // The header is gone: the page size is the one under which most pages read as b-tree
        // pages. The first pages are enough to tell.
        const auto score = [this](int size) {
            m_pageSize = size;
            m_pageCount = int((m_file.size() + size - 1) / size);
            int sound = 0;
            for (int p = 1; p <= m_pageCount && p <= 4096; ++p)
                sound += btreeType(p) != 0 ? 1 : 0;
            return sound;
        };
        int best = 0, bestSize = 0;
        for (int size = 512; size <= 65536; size *= 2)
            if (const int sound = score(size); sound > best) {
                best = sound;
                bestSize = size;
            }
        m_pageSize = bestSize;
        m_reserved = 0;
    }
    m_pageCount = m_pageSize ? int(std::min<qint64>((m_file.size() + m_pageSize - 1) / m_pageSize, 0x7fffffff)) : 0;
}

PageImage::Span PageImage::page(int number) const
{
    if (!isPage(number))
        return {};
    const qint64 offset = qint64(number - 1) * m_pageSize;
    return {reinterpret_cast<const uchar*>(m_file.constData()) + offset,
            int(std::min<qint64>(m_pageSize, m_file.size() - offset))};
}

bool PageImage::cellPointers(int number, QList<int>* offsets, int* rightChild) const
{
    const Span p = page(number);
    const int h = headerOffset(number);
    if (p.size < h + 8)
        return false;
    const uchar type = p.data[h];
    const bool interior = type == IndexInterior || type == TableInterior;
    if (!interior && type != IndexLeaf && type != TableLeaf)
        return false;
    const int headerSize = interior ? 12 : 8;
    const int cells = be16(p.data + h + 3);
    const int content = be16(p.data + h + 5) == 0 ? 65536 : be16(p.data + h + 5);
    const int pointersEnd = h + headerSize + 2 * cells;
    if (pointersEnd > usable() || pointersEnd > p.size || content < pointersEnd || content > usable() ||
        p.data[h + 7] > 60)
        return false;
    offsets->clear();
    offsets->reserve(cells);
    for (int i = 0; i < cells; ++i) {
        const int at = be16(p.data + h + headerSize + 2 * i);
        if (at < content || at >= usable())
            return false;
        *offsets << at;
    }
    if (rightChild)
        *rightChild = interior ? int(std::min<quint32>(be32(p.data + h + 8), 0x7fffffff)) : 0;
    return true;
}

quint8 PageImage::btreeType(int page) const
{
    QList<int> offsets;
    return cellPointers(page, &offsets, nullptr) ? this->page(page).data[headerOffset(page)] : 0;
}

QByteArray PageImage::payload(Span p, int at, quint64 total, bool index, QSet<int>* visited) const
{
    // How much of a payload stays on its page, as the file format fixes it.
    const qint64 u = usable();
    const qint64 most = index ? ((u - 12) * 64 / 255) - 23 : u - 35;
    const qint64 least = ((u - 12) * 32 / 255) - 23;
    qint64 local = qint64(total);
    if (total > quint64(most)) {
        const qint64 k = least + qint64((total - quint64(least)) % quint64(u - 4));
        local = k <= most ? k : least;
    }
    const qint64 onPage = std::min<qint64>(local, std::max(0, p.size - at));
    QByteArray bytes(reinterpret_cast<const char*>(p.data + at), onPage);
    if (onPage < local || qint64(total) == local)
        return bytes;
    // The rest on a chain of overflow pages; a broken chain leaves the payload short.
    if (at + local + 4 > p.size || total > quint64(m_pageCount) * quint64(u))
        return bytes;
    int next = int(std::min<quint32>(be32(p.data + at + local), 0x7fffffff));
    QSet<int> chain;
    while (bytes.size() < qint64(total)) {
        if (!isPage(next) || next == 1 || chain.contains(next))
            break;
        chain.insert(next);
        const Span o = page(next);
        if (o.size < 4)
            break;
        const qint64 take = std::min<qint64>({qint64(total) - bytes.size(), u - 4, o.size - 4});
        bytes.append(reinterpret_cast<const char*>(o.data + 4), take);
        if (take < u - 4 && bytes.size() < qint64(total))
            break;
        next = int(std::min<quint32>(be32(o.data), 0x7fffffff));
    }
    if (visited)
        *visited += chain;
    return bytes;
}

QList<TableCell> PageImage::tableLeafCells(int number, int columns, QSet<int>* visited) const
{
    QList<TableCell> cells;
    QList<int> offsets;
    if (!cellPointers(number, &offsets, nullptr) || page(number).data[headerOffset(number)] != TableLeaf)
        return cells;
    const Span p = page(number);
    for (int at : offsets) {
        TableCell cell;
        cell.page = number;
        quint64 size = 0, rowid = 0;
        if (!varint(p.data, p.size, &at, &size) || !varint(p.data, p.size, &at, &rowid)) {
            cell.record.fault = QStringLiteral("no se puede leer la celda");
            cells << cell;
            continue;
        }
        cell.rowid = qint64(rowid);
        cell.record = decodeRecord(payload(p, at, size, false, visited), size);
        if (cell.record.fault.isEmpty() && cell.record.values.size() != columns)
            cell.record.fault =
                QStringLiteral("el registro tiene %1 campos y la tabla %2").arg(cell.record.values.size()).arg(columns);
        cells << cell;
    }
    return cells;
}

QList<Record> PageImage::indexCells(int number, QSet<int>* visited) const
{
    QList<Record> keys;
    QList<int> offsets;
    if (!cellPointers(number, &offsets, nullptr))
        return keys;
    const Span p = page(number);
    const uchar type = p.data[headerOffset(number)];
    if (type != IndexLeaf && type != IndexInterior)
        return keys;
    for (int at : offsets) {
        if (type == IndexInterior)
            at += 4;
        quint64 size = 0;
        if (!varint(p.data, p.size, &at, &size))
            continue;
        Record key = decodeRecord(payload(p, at, size, true, visited), size);
        if (key.fault.isEmpty())
            keys << key;
    }
    return keys;
}

bool PageImage::walk(int number, bool table, int depth, QSet<int>* visited,
                     const std::function<void(int page)>& leaf) const
{
    if (!isPage(number) || visited->contains(number) || depth > MaxDepth)
        return false;
    QList<int> offsets;
    int right = 0;
    if (!cellPointers(number, &offsets, &right))
        return false;
    const uchar type = page(number).data[headerOffset(number)];
    if (type != (table ? TableLeaf : IndexLeaf) && type != (table ? TableInterior : IndexInterior))
        return false;
    visited->insert(number);
    const bool interior = type == TableInterior || type == IndexInterior;
    if (!table || !interior)
        leaf(number);  // index interior pages carry keys too
    if (!interior)
        return true;
    const Span p = page(number);
    bool whole = true;
    for (int at : offsets) {
        if (at + 4 > p.size) {
            whole = false;
            continue;
        }
        whole = walk(int(std::min<quint32>(be32(p.data + at), 0x7fffffff)), table, depth + 1, visited, leaf) && whole;
    }
    return walk(right, table, depth + 1, visited, leaf) && whole;
}

bool PageImage::walkTable(int root, int columns, QSet<int>* visited,
                          const std::function<void(const TableCell&)>& cell) const
{
    if (!cell)
        return walk(root, true, 0, visited, [](int) {});
    return walk(root, true, 0, visited, [&](int page) {
        for (const TableCell& c : tableLeafCells(page, columns, visited))
            cell(c);
    });
}

bool PageImage::walkIndex(int root, QSet<int>* visited, const std::function<void(const Record&)>& key) const
{
    if (!key)
        return walk(root, false, 0, visited, [](int) {});
    return walk(root, false, 0, visited, [&](int page) {
        for (const Record& k : indexCells(page, visited))
            key(k);
    });
}

QSet<int> PageImage::freePages() const
{
    QSet<int> free;
    if (!m_headerIntact)
        return free;
    const auto* head = reinterpret_cast<const uchar*>(m_file.constData());
    int trunk = int(std::min<quint32>(be32(head + 32), 0x7fffffff));
    while (isPage(trunk) && !free.contains(trunk)) {
        free.insert(trunk);
        const Span t = page(trunk);
        if (t.size < 8)
            break;
        const quint32 leaves = be32(t.data + 4);
        for (quint32 i = 0; i < leaves && 8 + 4 * qint64(i) + 4 <= t.size; ++i) {
            const int leaf = int(std::min<quint32>(be32(t.data + 8 + 4 * i), 0x7fffffff));
            if (isPage(leaf))
                free.insert(leaf);
        }
        trunk = int(std::min<quint32>(be32(t.data), 0x7fffffff));
    }
    return free;
}

std::optional<QList<SchemaEntry>> PageImage::schema() const
{
    if (!m_pageSize || (btreeType(1) != TableLeaf && btreeType(1) != TableInterior))
        return std::nullopt;
    QList<SchemaEntry> entries;
    QSet<int> visited;
    walkTable(1, 5, &visited, [&](const TableCell& cell) {
        const QList<Value>& v = cell.record.values;
        if (!cell.record.fault.isEmpty() || v.size() != 5)
            return;
        const auto text = [](const Value& value) {
            return value.kind == Value::Text ? QString::fromUtf8(value.bytes) : QString();
        };
        SchemaEntry entry{
            text(v[0]), text(v[1]), text(v[2]), text(v[4]),
            v[3].kind == Value::Integer && v[3].integer > 0 && v[3].integer <= m_pageCount ? int(v[3].integer) : 0};
        entries << entry;
    });
    return entries;
}

// ---------------------------------------------------------------- CREATE TABLE

namespace {

// The name at the start of a column definition, unquoted; `rest` gets what follows it.
QString leadingName(const QString& part, QString* rest)
{
    const QString text = part.trimmed();
    if (text.isEmpty())
        return {};
    const QChar open = text.front();
    const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
    if (open == QLatin1Char('"') || open == QLatin1Char('[') || open == QLatin1Char('`') || open == QLatin1Char('\'')) {
        QString name;
        for (int i = 1; i < text.size(); ++i) {
            if (text[i] == close) {
                if (close != QLatin1Char(']') && i + 1 < text.size() && text[i + 1] == close) {
                    name += close;
                    ++i;
                    continue;
                }
                *rest = text.mid(i + 1).trimmed();
                return name;
            }
            name += text[i];
        }
        return {};
    }
    int end = 0;
    while (end < text.size() && !text[end].isSpace() && text[end] != QLatin1Char('('))
        ++end;
    *rest = text.mid(end).trimmed();
    return text.left(end);
}

}  // namespace

std::optional<TableColumns> parseCreateTable(const QString& sql)
{
    static const QRegularExpression start(QStringLiteral("^\\s*CREATE\\s+TABLE\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (!start.match(sql).hasMatch())
        return std::nullopt;
    const int open = int(sql.indexOf(QLatin1Char('(')));
    if (open < 0)
        return std::nullopt;
    // Top-level commas split the definitions; quotes and nested brackets do not.
    QStringList parts;
    QString current;
    int depth = 0;
    QChar quote;
    int close = -1;
    for (int i = open + 1; i < sql.size() && close < 0; ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('`')) {
            quote = c;
        } else if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (depth == 0) {
                close = i;
                break;
            }
            --depth;
        } else if (c == QLatin1Char(',') && depth == 0) {
            parts << current;
            current.clear();
            continue;
        }
        current += c;
    }
    if (close < 0)
        return std::nullopt;
    parts << current;
    if (sql.mid(close).contains(QLatin1String("WITHOUT"), Qt::CaseInsensitive))
        return std::nullopt;  // no row numbers: not a layout of ours

    TableColumns columns;
    QStringList types;
    static const QRegularExpression constraint(QStringLiteral("^(CONSTRAINT|PRIMARY|UNIQUE|CHECK|FOREIGN)\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression integerKey(QStringLiteral("^INTEGER\\s+PRIMARY\\s+KEY\\b(?!\\s+DESC)"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tableKey(QStringLiteral("^PRIMARY\\s+KEY\\s*\\(([^,)]*)\\)\\s*$"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString keyColumn;
    for (const QString& part : parts) {
        const QString trimmed = part.trimmed();
        if (constraint.match(trimmed).hasMatch()) {
            const QRegularExpressionMatch key = tableKey.match(trimmed);
            QString ignored;
            if (key.hasMatch())
                keyColumn = leadingName(key.captured(1), &ignored);
            continue;
        }
        QString rest;
        const QString name = leadingName(trimmed, &rest);
        if (name.isEmpty())
            return std::nullopt;
        if (integerKey.match(rest).hasMatch())
            columns.rowidColumn = int(columns.names.size());
        columns.names << name;
        types << rest.section(QLatin1Char(' '), 0, 0);
    }
    if (columns.rowidColumn < 0 && !keyColumn.isEmpty())
        for (int i = 0; i < columns.names.size(); ++i)
            if (columns.names[i].compare(keyColumn, Qt::CaseInsensitive) == 0 &&
                types[i].compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                columns.rowidColumn = i;
    return columns;
}

}  // namespace store::pages
