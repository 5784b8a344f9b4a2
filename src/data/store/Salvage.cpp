#include "Salvage.h"

#include "StoredValue.h"

#include <QDate>
#include <QSet>
#include <QStringDecoder>
#include <cmath>
#include <limits>

namespace store::salvage {

using pages::fieldFault;
using pages::PageImage;
using pages::Record;
using pages::TableCell;
using pages::Value;

namespace {

struct TimedOut {};

// Where the values of the definition's fields are in the file's records.
struct Layout {
    int columns = 0;       // values in each record
    QList<int> sourceOf;   // per field of the definition
    int rowidColumn = -1;  // the record's column that holds the row number (stored empty)
};

class Salvager {
public:
    Salvager(const TableDef& def, const PageImage& image, const Handlers& handlers, QDeadlineTimer deadline)
        : m_def(def), m_image(image), m_handlers(handlers), m_deadline(deadline)
    {
        for (int i = 0; i < def.fields.size(); ++i)
            if (def.fields[i].type == FieldType::AutoInc)
                m_autoInc = i;
        for (const IndexDef& index : def.indexes)
            if (index.unique && m_autoInc < 0 && m_key.isEmpty())
                for (const QString& name : index.fields)
                    m_key << def.fieldIndex(name);
    }

    Outcome run();

private:
    bool readSchema();
    void markOtherTrees();
    void take(const TableCell& cell, bool inTree);
    void takeKey(const IndexDef& index, const Record& key);
    void pageDone(int page);
    QString missingFields(const QList<Value>& values) const;

    const TableDef& m_def;
    const PageImage& m_image;
    const Handlers& m_handlers;
    QDeadlineTimer m_deadline;
    int m_autoInc = -1;
    QList<int> m_key;  // fields that must hold a value: the key of a table without a row number
    Layout m_layout;
    Outcome m_out;
    QSet<int> m_used;  // pages that belong to a tree or a chain already
    QSet<qint64> m_seen;
    bool m_faultInTree = false;
    bool m_schemaRead = false;
    int m_root = 0, m_sequenceRoot = 0;
    QList<std::pair<const IndexDef*, int>> m_indexes;  // ours, with their roots
    QList<int> m_otherIndexes;
    int m_lastPage = 0, m_pagesDone = 0, m_keysTaken = 0;
};

Outcome Salvager::run()
{
    if (!m_image.pageSize()) {
        m_out.notFoundWhy = QStringLiteral("ninguna parte del archivo se puede leer como páginas de una tabla");
        return m_out;
    }
    m_layout.columns = int(m_def.fields.size());
    for (int i = 0; i < m_def.fields.size(); ++i)
        m_layout.sourceOf << i;
    m_layout.rowidColumn = m_autoInc;

    try {
        if (!readSchema())
            return m_out;
        if (m_root) {
            m_out.whole =
                m_image.walkTable(m_root, m_layout.columns, &m_used, [this](const TableCell& c) { take(c, true); });
            m_out.whole = m_out.whole && !m_faultInTree;
        }
        markOtherTrees();
        if (m_out.whole)
            return m_out;
        // The tree is broken: any page not known to be something else may be one of its leaves.
        const QSet<int> free = m_image.freePages();
        for (int page = 1; page <= m_image.pageCount(); ++page) {
            pageDone(page);
            if (m_used.contains(page) || free.contains(page) || m_image.btreeType(page) != pages::TableLeaf)
                continue;
            QSet<int> chains;
            const QList<TableCell> cells = m_image.tableLeafCells(page, m_layout.columns, &chains);
            bool fits = false;
            for (const TableCell& c : cells)
                fits = fits || c.record.fault.isEmpty();
            if (!fits)
                continue;
            m_out.found = true;
            m_used.insert(page);
            m_used += chains;
            for (const TableCell& c : cells)
                take(c, false);
        }
        // Rows lost with their leaves may still have their key in an index.
        for (const auto& [index, indexRoot] : m_indexes) {
            QSet<int> visited;
            const IndexDef& def = *index;  // a lambda of clang 14 cannot capture a structured binding
            m_image.walkIndex(indexRoot, &visited, [&](const Record& key) { takeKey(def, key); });
        }
        if (!m_schemaRead) {
            for (int page = 1; page <= m_image.pageCount(); ++page) {
                pageDone(page);
                const quint8 type = m_used.contains(page) || free.contains(page) ? 0 : m_image.btreeType(page);
                if (type != pages::IndexLeaf && type != pages::IndexInterior)
                    continue;
                for (const Record& key : m_image.indexCells(page, nullptr)) {
                    // Only an index of ours with as many fields tells whose key it is.
                    const IndexDef* match = nullptr;
                    int matches = 0;
                    for (const IndexDef& index : m_def.indexes)
                        if (index.fields.size() + 1 == key.values.size()) {
                            match = &index;
                            ++matches;
                        }
                    if (matches == 1)
                        takeKey(*match, key);
                }
            }
        }
    } catch (const TimedOut&) {
        m_out.timedOut = true;
    }
    return m_out;
}

// Finds the table in the file's schema. False when the file holds another table or a layout
// without our fields: then nothing of it is ours.
bool Salvager::readSchema()
{
    const std::optional<QList<pages::SchemaEntry>> schema = m_image.schema();
    if (!schema)
        return true;  // page 1 is gone: the leaves are looked for with the definition's layout
    m_schemaRead = true;
    const pages::SchemaEntry* mine = nullptr;
    QStringList others;
    for (const pages::SchemaEntry& e : *schema) {
        if (e.type == QLatin1String("table") && e.name.compare(m_def.tableName, Qt::CaseInsensitive) == 0) {
            mine = &e;
        } else if (e.type == QLatin1String("table") && e.name == QLatin1String("sqlite_sequence")) {
            m_sequenceRoot = e.rootPage;
        } else if (e.type == QLatin1String("table")) {
            others << e.name;
        } else if (e.type == QLatin1String("index") && e.rootPage) {
            const IndexDef* index = m_def.index(e.name);
            if (index && e.tableName.compare(m_def.tableName, Qt::CaseInsensitive) == 0)
                m_indexes << std::pair{index, e.rootPage};
            else
                m_otherIndexes << e.rootPage;
        }
    }
    if (!mine) {
        if (others.isEmpty())
            return true;
        m_out.notFoundWhy = QStringLiteral("el archivo contiene otra tabla (%1), no %2")
                                .arg(others.join(QStringLiteral(", ")), m_def.tableName);
        return false;
    }
    const std::optional<pages::TableColumns> columns = pages::parseCreateTable(mine->sql);
    if (!columns) {
        m_out.notFoundWhy = QStringLiteral("la definición de la tabla %1 no se puede leer").arg(m_def.tableName);
        return false;
    }
    m_layout.columns = int(columns->names.size());
    m_layout.rowidColumn = columns->rowidColumn;
    for (int i = 0; i < m_def.fields.size(); ++i) {
        int source = -1;
        for (int j = 0; j < columns->names.size() && source < 0; ++j)
            if (columns->names[j].compare(m_def.fields[i].name, Qt::CaseInsensitive) == 0)
                source = j;
        if (source < 0) {
            m_out.notFoundWhy = QStringLiteral("a la tabla del archivo le falta el campo %1").arg(m_def.fields[i].name);
            return false;
        }
        m_layout.sourceOf[i] = source;
    }
    m_out.found = true;
    m_root = mine->rootPage;
    return true;
}

// The pages of the schema, the number sequence and the indexes are no leaves of the table; the
// table's own tree was walked first, so a page two trees claim stays with it.
void Salvager::markOtherTrees()
{
    if (!m_schemaRead)
        return;
    m_image.walkTable(1, 5, &m_used, {});
    if (m_sequenceRoot)
        m_image.walkTable(m_sequenceRoot, 2, &m_used, [&](const TableCell& c) {
            const QList<Value>& v = c.record.values;
            if (c.record.fault.isEmpty() && v[0].kind == Value::Text && v[1].kind == Value::Integer &&
                QString::fromUtf8(v[0].bytes).compare(m_def.tableName, Qt::CaseInsensitive) == 0)
                m_out.sequence = v[1].integer;
        });
    for (const auto& index : m_indexes)
        m_image.walkIndex(index.second, &m_used, {});
    for (int root : m_otherIndexes)
        m_image.walkIndex(root, &m_used, {});
}

void Salvager::pageDone(int page)
{
    if (page == m_lastPage)
        return;
    m_lastPage = page;
    if (++m_pagesDone % 16 != 0)
        return;
    if (m_deadline.hasExpired())
        throw TimedOut{};
    if (m_handlers.progress)
        m_handlers.progress(std::min(m_pagesDone, m_image.pageCount()), m_image.pageCount());
}

QString Salvager::missingFields(const QList<Value>& values) const
{
    QStringList names;
    for (int i = 0; i < values.size(); ++i)
        if (values[i].kind == Value::Missing)
            names << m_def.fields[i].name;
    return names.join(QStringLiteral(", "));
}

void Salvager::take(const TableCell& cell, bool inTree)
{
    pageDone(cell.page);
    const Record& record = cell.record;
    // The values in the definition's order; the row number stands for the field that holds it.
    QList<Value> values;
    values.reserve(m_def.fields.size());
    for (int i = 0; i < m_def.fields.size(); ++i) {
        const int source = m_layout.sourceOf[i];
        if (source == m_layout.rowidColumn && source >= 0) {
            Value v;
            v.kind = Value::Integer;
            v.integer = cell.rowid;
            values << v;
        } else {
            values << record.values.value(source, Value{Value::Missing, 0, 0, {}});
        }
    }
    const std::optional<qint64> rowid = cell.rowid >= 1 ? std::optional<qint64>(cell.rowid) : std::nullopt;
    QString why;
    if (!record.fault.isEmpty()) {
        if (inTree)
            m_faultInTree = true;
        const QString missing = record.values.isEmpty() ? QString() : missingFields(values);
        why = missing.isEmpty() ? QStringLiteral("Fila dañada: %1.").arg(record.fault)
                                : QStringLiteral("Fila dañada: no se pudieron leer los campos %1.").arg(missing);
    } else if (!rowid) {
        why = QStringLiteral("Fila con un número de fila no válido (%1).").arg(cell.rowid);
    } else if (m_seen.contains(cell.rowid)) {
        why = QStringLiteral("Otra copia de la fila %1, hallada fuera del árbol de la tabla.").arg(cell.rowid);
    } else {
        for (int i = 0; i < m_def.fields.size() && why.isEmpty(); ++i)
            why = fieldFault(m_def.fields[i], values[i]);
        for (int k : m_key)
            if (why.isEmpty() && k >= 0 && values[k].kind == Value::Null)
                why = QStringLiteral("Falta la clave %1.").arg(m_def.fields[k].shownName());
    }
    if (rowid)
        m_seen.insert(*rowid);
    if (!why.isEmpty()) {
        if (m_handlers.problem)
            m_handlers.problem(rowid, values, why);
        return;
    }
    if (m_handlers.row)
        m_handlers.row(cell.rowid, values);
}

void Salvager::takeKey(const IndexDef& index, const Record& key)
{
    // The index passes read keys, not pages: the time allowed is looked at every few hundred.
    if (++m_keysTaken % 256 == 0 && m_deadline.hasExpired())
        throw TimedOut{};
    if (!key.fault.isEmpty() || key.values.size() != index.fields.size() + 1 ||
        key.values.last().kind != Value::Integer || key.values.last().integer < 1 ||
        m_seen.contains(key.values.last().integer))
        return;
    const qint64 rowid = key.values.last().integer;
    m_seen.insert(rowid);
    QList<Value> values(m_def.fields.size(), Value{Value::Missing, 0, 0, {}});
    for (int k = 0; k < index.fields.size(); ++k)
        if (const int field = m_def.fieldIndex(index.fields[k]); field >= 0)
            values[field] = key.values[k];
    if (m_autoInc >= 0)
        values[m_autoInc] = Value{Value::Integer, rowid, 0, {}};
    if (m_handlers.problem)
        m_handlers.problem(rowid, values,
                           QStringLiteral("Fila perdida: solo se pudo leer su clave en el índice %1.").arg(index.name));
}

}  // namespace

Outcome salvageTable(const TableDef& def, const PageImage& image, const Handlers& handlers, QDeadlineTimer deadline)
{
    return Salvager(def, image, handlers, deadline).run();
}

}  // namespace store::salvage
