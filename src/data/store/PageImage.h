#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <optional>

// A table file read as pages, without SQLite: what salvage needs when the file is too damaged for
// SQLite to walk it. Every number read from the file is checked before it is used, so a damaged
// or hostile file can make this read less, never read outside the image or loop.
namespace store::pages {

// One value of a record as stored. Missing: its bytes lie on a page that could not be read.
struct Value {
    enum Kind { Null, Integer, Real, Text, Blob, Missing };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes;  // text (in the file's encoding, UTF-8 for ours) or blob
};

// A record decoded from a cell. `fault` is empty when the record decoded whole; otherwise it says
// what is wrong, and the values hold what could still be read (Missing for the rest).
struct Record {
    QList<Value> values;
    QString fault;
};

// A row of a table b-tree leaf.
struct TableCell {
    qint64 rowid = 0;
    int page = 0;
    Record record;
};

struct SchemaEntry {
    QString type, name, tableName, sql;
    int rootPage = 0;
};

// Page kinds as the first byte of a b-tree page gives them.
enum PageType : quint8 { IndexInterior = 0x02, TableInterior = 0x05, IndexLeaf = 0x0A, TableLeaf = 0x0D };

class PageImage {
public:
    // The whole file; a rollback journal left beside it is played onto the image (not the file).
    PageImage(QByteArray file, const QByteArray& journal = {});

    const QByteArray& bytes() const { return m_file; }  // the file as the journal leaves it
    int pageSize() const { return m_pageSize; }         // 0 when no page size makes sense of the file
    int pageCount() const { return m_pageCount; }
    bool isPage(int page) const { return page >= 1 && page <= m_pageCount; }

    // The pages of the free list, when the header says where it is; empty otherwise.
    QSet<int> freePages() const;
    // The schema table on page 1; nothing when page 1 cannot be read as one.
    std::optional<QList<SchemaEntry>> schema() const;

    // The type of a page whose b-tree header is sound (cell pointers inside the page), or 0.
    quint8 btreeType(int page) const;

    // Walks a table b-tree from its root, calling `cell` for every cell of its leaves. Pages it
    // enters are added to `visited` (and never entered twice). Answers false when some page of
    // the tree could not be read as what its parent says it is.
    bool walkTable(int root, int columns, QSet<int>* visited, const std::function<void(const TableCell&)>& cell) const;
    // The same for an index b-tree: every key with its row number last.
    bool walkIndex(int root, QSet<int>* visited, const std::function<void(const Record&)>& key) const;

    // The cells of one table leaf page, read on their own; `visited` gets its overflow pages.
    QList<TableCell> tableLeafCells(int page, int columns, QSet<int>* visited) const;
    QList<Record> indexCells(int page, QSet<int>* visited) const;

private:
    struct Span {
        const uchar* data = nullptr;
        int size = 0;
    };
    Span page(int number) const;
    int headerOffset(int number) const { return number == 1 ? 100 : 0; }
    int usable() const { return m_pageSize - m_reserved; }
    bool cellPointers(int number, QList<int>* offsets, int* rightChild) const;
    QByteArray payload(Span page, int at, quint64 total, bool index, QSet<int>* visited) const;
    bool walk(int pageNumber, bool table, int depth, QSet<int>* visited,
              const std::function<void(int page)>& leaf) const;
    void guessLayout();
    void playJournal(const QByteArray& journal);

    QByteArray m_file;
    int m_pageSize = 0;
    int m_reserved = 0;
    int m_pageCount = 0;
    bool m_headerIntact = false;
};

// The column names of a CREATE TABLE statement, in order, and which of them is the row number
// (an INTEGER PRIMARY KEY), -1 when none. Nothing when the text is no CREATE TABLE.
struct TableColumns {
    QStringList names;
    int rowidColumn = -1;
};
std::optional<TableColumns> parseCreateTable(const QString& sql);

}  // namespace store::pages
