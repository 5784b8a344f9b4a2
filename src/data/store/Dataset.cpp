#include "Dataset.h"

#include "Database.h"
#include "FieldCodec.h"
#include "Session.h"

namespace store {

Dataset::Dataset(Session* session, QString name, QString tableName, QObject* parent)
    : QObject(parent), m_session(session), m_name(std::move(name)), m_tableName(std::move(tableName))
{
    setObjectName(m_name);
    connect(m_session, &Session::deactivating, this, &Dataset::close);
}

Dataset::~Dataset() = default;

const TableDef& Dataset::def() const { return m_session->tableDef(m_tableName); }

Database& Dataset::db() const { return m_session->database(); }

void Dataset::requireActive() const
{
    if (!active())
        throw notOpenError();
}

// ---------------------------------------------------------------- order, filter, lookups

RowOrder Dataset::order() const
{
    RowOrder order;
    if (!m_indexName.isEmpty()) {
        const IndexDef* index = def().index(m_indexName);
        if (!index)
            throw StoreError(FieldNotFound,
                             QStringLiteral("La tabla %1 no tiene el índice %2.").arg(m_tableName, m_indexName));
        for (const QString& f : index->fields)
            order.columns << quoteIdentifier(f);
    }
    order.columns << QStringLiteral("rowid");
    return order;
}

QString Dataset::orderClause() const { return order().clause(); }

void Dataset::setIndexName(const QString& index)
{
    m_indexName = index;
    if (active()) {
        invalidate();
        listReset();
        emit currentChanged();
    }
}

void Dataset::setFilter(const QString& text)
{
    if (active() && m_filtered) {
        checkBrowse();
        applyWhere(Filter::parse(text, def()));
        m_filterText = text;
        listReset();
        emit currentChanged();
    } else {
        m_filterText = text;
    }
}

void Dataset::setFiltered(bool on)
{
    if (on == m_filtered)
        return;
    if (active()) {
        checkBrowse();
        applyWhere(on ? Filter::parse(m_filterText, def()) : Filter{});
        m_filtered = on;
        listReset();
        emit currentChanged();
    } else {
        m_filtered = on;
    }
}

// Takes a new filter and stands on the first row; the rows are read when first needed. A filter
// SQLite refuses leaves the view with its former filter, rows and current row.
void Dataset::applyWhere(const Filter& where)
{
    RowList::check(db(), m_tableName, where, order());
    m_where = where;
    invalidate();
    m_currentRowid = -1;
    m_position = 0;
    m_bof = true;
    m_eof = false;  // eof() asks the list, when it is asked
}

QStringList Dataset::fieldNames() const
{
    QStringList names;
    for (const FieldDef& f : def().fields)
        names << f.name;
    for (const LookupDef& l : m_lookups.defs())
        names << l.name;
    return names;
}

int Dataset::displayWidth(const QString& field) const
{
    if (const LookupDef* l = m_lookups.find(field))
        return l->width;
    const FieldDef* f = def().field(field);
    return f ? f->width : 0;
}

void Dataset::setValidator(const QString& field, Validator v) { m_validators.insert(field.toLower(), std::move(v)); }

// ---------------------------------------------------------------- lifecycle

void Dataset::open()
{
    if (active())
        return;
    Database& database = db();
    database.requireTable(m_tableName);
    m_where = m_filtered ? Filter::parse(m_filterText, def()) : Filter{};
    // An unknown index or a filter SQLite refuses fails here, before the view counts as open.
    // The rows are read when something first asks for them.
    RowList::check(database, m_tableName, m_where, order());
    m_dbConnection = connect(&database, &Database::tableChanged, this, &Dataset::onTableChanged);
    m_rowConnection = connect(&database, &Database::rowChanged, this, &Dataset::onRowChanged);
    m_state = DatasetState::Browse;
    invalidate();
    m_currentRowid = -1;
    m_position = 0;
    m_bof = true;
    m_eof = false;
    emit stateChanged();
    listReset();
    emit currentChanged();
}

void Dataset::close()
{
    if (!active())
        return;
    disconnect(m_dbConnection);
    disconnect(m_rowConnection);
    m_state = DatasetState::Inactive;
    m_buffer.clear();
    m_modified = false;
    m_rows.clear();
    m_lookups.forget();
    m_currentRowid = -1;
    m_position = -1;
    m_eof = m_bof = true;
    emit stateChanged();
    listReset();
    emit currentChanged();
}

void Dataset::refresh()
{
    requireActive();
    checkBrowse();
    invalidate();
    listReset();
    emit currentChanged();
}

void Dataset::invalidate()
{
    m_rows.invalidate();
    m_lookups.forget();
    m_confirmedRowid = -1;
    m_knownCount = -1;
}

void Dataset::onTableChanged(const QString& table)
{
    if (table.compare(m_tableName, Qt::CaseInsensitive) != 0) {
        // Another table changes only what the lookup fields show.
        if (!m_lookups.readsTable(table))
            return;
        m_lookups.forget();
        emit valuesChanged();
        emit currentChanged();
        return;
    }
    invalidate();
    listReset();
    emit currentChanged();
}

void Dataset::onRowChanged(const QString& table, qint64 rowid)
{
    const bool own = table.compare(m_tableName, Qt::CaseInsensitive) == 0;
    // A row no answer came from (a new client, mostly) changes nothing the lookups show.
    const bool lookupsChange = m_lookups.readsTable(table) && (own || m_lookups.mayChangeWith(rowid));
    if (lookupsChange)
        m_lookups.forget();
    if (!own) {
        if (lookupsChange) {
            emit valuesChanged();
            emit currentChanged();
        }
        return;
    }
    if (rowid == m_confirmedRowid)
        m_confirmedRowid = -1;
    m_knownCount = -1;
    const bool stale = m_rows.stale();
    const RowList::Move move = m_rows.place(db(), m_tableName, m_where, order(), rowid, m_position);
    if (stale || move.reread) {
        listReset();
        emit currentChanged();
        return;
    }
    m_placedRowid = rowid;
    m_placedPosition = move.to;
    if (move.from < 0 && move.to < 0)
        return;  // not in this view, before or after
    if (m_currentRowid == rowid && move.to < 0 && m_state == DatasetState::Edit) {
        // The row being edited is gone elsewhere: the post must miss it, not another row, and
        // the list is read again once the edit ends.
        invalidate();
        listReset();
        emit currentChanged();
        return;
    }
    // The current row keeps its place among the others; if it left, the row that takes its
    // position becomes current.
    if (m_currentRowid == rowid) {
        if (move.to >= 0)
            m_position = move.to;
        else
            m_currentRowid = -1;
    } else if (m_currentRowid >= 0) {
        if (move.from >= 0 && move.from < m_position)
            --m_position;
        if (move.to >= 0 && move.to <= m_position)
            ++m_position;
    }
    locateCurrent();
    if (move.from == move.to) {
        emit rowUpdated(move.to);
    } else {
        if (move.from >= 0)
            emit rowRemoved(move.from);
        if (move.to >= 0)
            emit rowInserted(move.to);
    }
    emit rowsChanged();
    emit currentChanged();
}

void Dataset::listReset()
{
    emit rowsReset();
    emit rowsChanged();
}

// After a post of that row: the view stands on it if it shows it, else on the same position.
void Dataset::standOn(qint64 rowid)
{
    m_currentRowid = rowid;
    if (m_rows.stale())
        return;
    if (m_placedRowid == rowid && m_placedPosition >= 0)
        m_position = m_placedPosition;
    locateCurrent();
}

void Dataset::ensureList() const
{
    if (m_rows.ensure(db(), m_tableName, m_where, order()))
        locateCurrent();
}

// Stay on the same row when it is still there, else on the same position.
void Dataset::locateCurrent() const
{
    const QVector<qint64>& rowids = m_rows.ids();
    int position = -1;
    if (m_currentRowid >= 0)
        position = m_position >= 0 && m_position < rowids.size() && rowids[m_position] == m_currentRowid
                       ? m_position
                       : int(rowids.indexOf(m_currentRowid));
    if (position < 0 && !rowids.isEmpty())
        position = qBound(0, m_position, int(rowids.size()) - 1);
    m_position = position;
    m_currentRowid = position >= 0 ? rowids[position] : -1;
}

// While the list waits to be read again, the current row is read alone when it is still there;
// a view that stands on its first position (just opened, filtered or emptied) finds that row alone.
bool Dataset::currentWithoutList() const
{
    if (!m_rows.stale())
        return false;
    if (m_currentRowid < 0) {
        if (m_position > 0)
            return false;
        m_currentRowid = RowList::firstId(db(), m_tableName, m_where, order());
        m_confirmedRowid = m_currentRowid;
        return m_currentRowid >= 0;
    }
    if (m_confirmedRowid != m_currentRowid) {
        if (!RowList::passes(db(), m_tableName, m_where, m_currentRowid))
            return false;
        m_confirmedRowid = m_currentRowid;
    }
    return true;
}

void Dataset::setCurrent(qint64 rowid, int position)
{
    m_currentRowid = rowid;
    m_position = position;
    emit currentChanged();
}

// ---------------------------------------------------------------- navigation

// Rows can vanish through a filter or another view; a loop "while not eof" must then stop.
bool Dataset::eof() const { return m_eof || !active() || recordCount() == 0; }

bool Dataset::bof() const { return m_bof || !active() || recordCount() == 0; }

int Dataset::recordCount() const
{
    requireActive();
    ensureList();
    return int(m_rows.ids().size());
}

int Dataset::recNo() const
{
    if (!active())
        return -1;
    ensureList();
    return m_position;
}

void Dataset::first()
{
    requireActive();
    checkBrowse();
    if (m_rows.stale()) {
        // The first row alone, when the list waits to be read.
        const qint64 rowid = RowList::firstId(db(), m_tableName, m_where, order());
        m_bof = true;
        m_eof = rowid < 0;
        m_confirmedRowid = rowid;
        setCurrent(rowid, rowid < 0 ? -1 : 0);
        return;
    }
    m_bof = true;
    m_eof = m_rows.ids().isEmpty();
    setCurrent(m_rows.ids().isEmpty() ? -1 : m_rows.ids().first(), m_rows.ids().isEmpty() ? -1 : 0);
}

void Dataset::last()
{
    requireActive();
    checkBrowse();
    if (m_rows.stale()) {
        // The last row and the count alone, when the list waits to be read.
        const int count = RowList::count(db(), m_tableName, m_where);
        const qint64 rowid = count > 0 ? RowList::lastId(db(), m_tableName, m_where, order()) : -1;
        m_eof = true;
        m_bof = rowid < 0;
        m_confirmedRowid = rowid;
        m_knownCount = count;
        setCurrent(rowid, rowid < 0 ? -1 : count - 1);
        return;
    }
    m_eof = true;
    m_bof = m_rows.ids().isEmpty();
    setCurrent(m_rows.ids().isEmpty() ? -1 : m_rows.ids().last(), int(m_rows.ids().size()) - 1);
}

void Dataset::next()
{
    requireActive();
    checkBrowse();
    m_bof = false;
    if (m_rows.stale() && m_knownCount >= 0 && m_position + 1 >= m_knownCount) {
        m_eof = true;  // on the last row, known without the list
        return;
    }
    ensureList();
    if (m_position + 1 < m_rows.ids().size()) {
        m_eof = false;
        setCurrent(m_rows.ids()[m_position + 1], m_position + 1);
    } else {
        m_eof = true;
    }
}

void Dataset::prior()
{
    requireActive();
    checkBrowse();
    ensureList();
    m_eof = false;
    if (m_position > 0) {
        m_bof = false;
        setCurrent(m_rows.ids()[m_position - 1], m_position - 1);
    } else {
        m_bof = true;
    }
}

void Dataset::moveTo(int position)
{
    requireActive();
    ensureList();
    if (m_rows.ids().isEmpty() || position == m_position)
        return;
    checkBrowse();
    ensureList();
    position = qBound(0, position, int(m_rows.ids().size()) - 1);
    m_bof = m_eof = false;
    setCurrent(m_rows.ids()[position], position);
}

bool Dataset::findKey(const QVariantList& keyValues)
{
    requireActive();
    checkBrowse();
    const IndexDef* index = m_indexName.isEmpty() ? nullptr : def().index(m_indexName);
    if (!index || keyValues.isEmpty() || keyValues.size() > index->fields.size())
        throw StoreError(FieldNotFound, QStringLiteral("La vista %1 no tiene un índice para buscar.").arg(m_name));
    Database& database = db();
    QStringList conditions;
    QVariantList values;
    for (int i = 0; i < keyValues.size(); ++i) {
        const FieldDef& f = *def().field(index->fields[i]);
        const QVariant stored = fieldcodec::toStored(f, keyValues[i]);
        if (stored.isNull()) {
            conditions << quoteIdentifier(f.name) + QStringLiteral(" IS NULL");
        } else {
            conditions << quoteIdentifier(f.name) + QStringLiteral(" = ?");
            values << stored;
        }
    }
    if (!m_where.sql.isEmpty()) {
        conditions << m_where.sql;
        values << m_where.values;
    }
    Statement stmt(database, QStringLiteral("SELECT rowid FROM %1 WHERE %2%3 LIMIT 1")
                                 .arg(database.qualifiedTable(m_tableName), conditions.join(QStringLiteral(" AND ")),
                                      orderClause()));
    for (int i = 0; i < values.size(); ++i)
        stmt.bind(i + 1, values[i]);
    if (!stmt.step())
        return false;
    const qint64 rowid = stmt.column(0).toLongLong();
    m_bof = m_eof = false;
    if (m_rows.stale())
        m_confirmedRowid = rowid;  // found under the filter
    setCurrent(rowid, m_rows.stale() ? m_position : int(m_rows.ids().indexOf(rowid)));
    return true;
}

// ---------------------------------------------------------------- rows

const Dataset::Row& Dataset::readRow(qint64 rowid) const { return m_rows.row(db(), def(), m_tableName, rowid); }

const Dataset::Row* Dataset::currentRow() const
{
    if (editing())
        return &m_buffer;
    if (!active())
        return nullptr;
    if (currentWithoutList())
        return &readRow(m_currentRowid);
    ensureList();
    if (m_currentRowid < 0)
        return nullptr;
    return &readRow(m_currentRowid);
}

}  // namespace store
