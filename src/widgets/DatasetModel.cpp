#include "DatasetModel.h"

#include "StandardError.h"
#include "data/store/Dataset.h"
#include "data/text/FixedFormats.h"

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataset(store::Dataset* dataset, QList<GridColumn> columns)
{
    beginResetModel();
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    m_dataset = dataset;
    m_columns = std::move(columns);
    m_count = -1;
    if (dataset) {
        connect(dataset, &store::Dataset::rowsReset, this, [this] {
            if (m_live)
                reset();
        });
        connect(dataset, &store::Dataset::rowInserted, this, [this](int row) {
            if (!m_live || m_count < 0)
                return;
            // The view already holds the row; until Qt is told, the model shows the rows as they were.
            emit changingRows(true);
            m_changedRow = row;
            m_shift = 1;
            beginInsertRows({}, row, row);
            m_changedRow = -1;
            ++m_count;
            endInsertRows();
            emit changingRows(false);
        });
        connect(dataset, &store::Dataset::rowRemoved, this, [this](int row) {
            if (!m_live || m_count < 0)
                return;
            emit changingRows(true);
            m_changedRow = row;
            m_shift = -1;
            beginRemoveRows({}, row, row);
            m_changedRow = -1;
            --m_count;
            endRemoveRows();
            emit changingRows(false);
        });
        connect(dataset, &store::Dataset::rowUpdated, this, [this](int row) {
            if (m_live && row < m_count)
                emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        });
        // Only what lookup columns show may have changed: each run of them is told.
        connect(dataset, &store::Dataset::valuesChanged, this, [this] {
            if (!m_live || m_count <= 0)
                return;
            for (int c = 0; c < columnCount(); ++c) {
                if (!m_dataset->lookups().find(m_columns[c].field))
                    continue;
                int last = c;
                while (last + 1 < columnCount() && m_dataset->lookups().find(m_columns[last + 1].field))
                    ++last;
                emit dataChanged(index(0, c), index(m_count - 1, last));
                c = last;
            }
        });
        connect(dataset, &store::Dataset::fieldChanged, this, [this] {
            if (!m_live)
                return;
            const int row = m_dataset->recNo();
            if (row >= 0 && row < m_count)
                emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        });
    }
    endResetModel();
}

void DatasetModel::reset()
{
    beginResetModel();
    m_count = -1;
    endResetModel();
}

void DatasetModel::setLive(bool on)
{
    if (on == m_live)
        return;
    beginResetModel();
    m_live = on;
    m_count = -1;
    endResetModel();
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_live || !m_dataset || !m_dataset->active())
        return 0;
    if (m_count < 0) {
        try {
            m_count = m_dataset->recordCount();
        } catch (const std::exception&) {
            return 0;
        }
    }
    return m_count;
}

int DatasetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

int DatasetModel::viewRow(int row) const
{
    if (m_changedRow < 0 || row < m_changedRow)
        return row;
    if (m_shift < 0 && row == m_changedRow)
        return -1;  // the row that left the view
    return m_shift > 0 ? row + 1 : row - 1;
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_dataset || index.column() >= m_columns.size())
        return {};
    const int row = viewRow(index.row());
    if (row < 0)
        return {};
    const GridColumn& column = m_columns[index.column()];
    try {
        // The row being edited shows its pending values.
        const bool pending =
            m_dataset->editing() && row == m_dataset->recNo() && m_dataset->state() == store::DatasetState::Edit;
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            if (column.format == GridColumn::Format::Money && role == Qt::DisplayRole) {
                const QVariant v = pending ? m_dataset->value(column.field) : m_dataset->valueAt(row, column.field);
                return v.isNull() ? QString() : store::formats::money(v.toDouble());
            }
            return pending ? m_dataset->text(column.field) : m_dataset->textAt(row, column.field);
        }
        if (role == Qt::TextAlignmentRole) {
            const QVariant v = m_dataset->valueAt(row, column.field);
            const bool number = v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int ||
                                column.format == GridColumn::Format::Right;
            return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
        }
    } catch (const std::exception&) {
        // A row that cannot be read shows empty; the store reports the damage where rows are used.
    }
    return {};
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The rows have no numbers: the narrow column left of them only marks where they are.
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return {};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn& column = m_columns[section];
    return column.title.isEmpty() ? column.field : column.title;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!m_readOnly && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (m_readOnly || role != Qt::EditRole || !m_dataset || !index.isValid())
        return false;
    bool ok = false;
    runHandler([&] {
        m_dataset->moveTo(index.row());
        if (!m_dataset->editing())
            m_dataset->edit();
        const GridColumn& column = m_columns[index.column()];
        // A refused value is told by the column's title, the name the clerk sees over it.
        m_dataset->setText(column.field, value.toString(), column.title);
        ok = true;
    });
    return ok;
}
