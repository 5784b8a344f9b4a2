#include "DBGrid.h"

#include "StandardError.h"
#include "data/store/Dataset.h"

#include <QHeaderView>
#include <QShowEvent>

namespace {

const int IndicatorWidth = 14;

// The narrow column left of the rows. Its size is fixed, so the grid never measures the
// sections for it: on a view of a million rows that would be done at every row that comes in.
class RowIndicator : public QHeaderView {
public:
    explicit RowIndicator(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}
    QSize sizeHint() const override { return {IndicatorWidth, defaultSectionSize()}; }
};

}  // namespace

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), m_model(new DatasetModel(this))
{
    m_model->setLive(false);
    setVerticalHeader(new RowIndicator(this));
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setFixedWidth(IndicatorWidth);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (m_syncing || !current.isValid() || !m_model->dataset())
            return;
        runHandler([this, row = current.row()] { m_model->dataset()->moveTo(row); });
    });
    connect(this, &QAbstractItemView::doubleClicked, this, &DBGrid::rowDoubleClicked);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::followDataset);
    // A row coming or going moves the grid's line by itself; the view's current row stays, and
    // the grid follows it afterwards.
    connect(m_model, &DatasetModel::changingRows, this, [this](bool changing) { m_syncing = changing; });
}

void DBGrid::setDataset(store::Dataset* dataset, QList<GridColumn> columns)
{
    m_model->setDataset(dataset, std::move(columns));
    if (dataset)
        connect(dataset, &store::Dataset::currentChanged, this, &DBGrid::followDataset);
    applyWidths();
    followDataset();
}

void DBGrid::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        m_model->setLive(true);
    QTableView::showEvent(event);
}

void DBGrid::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous())
        m_model->setLive(false);
    QTableView::hideEvent(event);
}

void DBGrid::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    if (topLeft.row() == bottomRight.row() || !topLeft.isValid() || !bottomRight.isValid()) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    // A change over many rows (the lookups of a view) repaints its columns where they show,
    // not the whole grid.
    const int left = columnViewportPosition(topLeft.column());
    const int right = columnViewportPosition(bottomRight.column()) + columnWidth(bottomRight.column());
    viewport()->update(QRect(QPoint(qMin(left, right), 0), QPoint(qMax(left, right), viewport()->height())));
}

void DBGrid::setReadOnly(bool on)
{
    m_model->setReadOnly(on);
    setEditTriggers(on ? QAbstractItemView::NoEditTriggers
                       : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
}

// The fewest characters that show a column's values whole: dates, numbers, prices, C.U.I.T.s
// and other short codes are never cut; only long texts (names) may be.
static int wholeValueChars(const store::Dataset& dataset, const GridColumn& column)
{
    if (column.format == GridColumn::Format::Money)
        return 20;  // 9.999.999.999.999,99
    if (const store::FieldDef* field = dataset.def().field(column.field)) {
        switch (field->type) {
        case store::FieldType::Date:
            return 10;
        case store::FieldType::Float:
            return 15;  // the most digits a number keeps
        case store::FieldType::Int16:
            return 6;
        case store::FieldType::Int32:
        case store::FieldType::AutoInc:
            return 11;
        case store::FieldType::Text:
            break;
        }
    }
    const int width = dataset.displayWidth(column.field);
    return width > 0 && width <= 15 ? width : 0;
}

void DBGrid::widenColumn(int column, int pixels) { setColumnWidth(column, qMax(columnWidth(column), pixels)); }

void DBGrid::applyWidths()
{
    // Dates and numbers are digits, wider than the average letter; a title is never cut.
    const int charWidth = qMax(fontMetrics().averageCharWidth(), fontMetrics().horizontalAdvance(QLatin1Char('0')));
    QFont titleFont = horizontalHeader()->font();
    titleFont.setBold(true);
    const QFontMetrics title(titleFont);
    for (int c = 0; c < m_model->columns().size(); ++c) {
        const GridColumn& column = m_model->columns()[c];
        int chars = column.width;
        if (chars <= 0 && m_model->dataset())
            chars = qBound(8, m_model->dataset()->displayWidth(column.field), 40);
        if (m_model->dataset())
            chars = qMax(chars, wholeValueChars(*m_model->dataset(), column));
        const QString caption = column.title.isEmpty() ? column.field : column.title;
        setColumnWidth(c, qMax(chars * charWidth + 8, title.horizontalAdvance(caption) + 14));
    }
}

void DBGrid::followDataset()
{
    store::Dataset* dataset = m_model->dataset();
    if (!dataset || !dataset->active() || !m_model->live())
        return;
    int row = -1;
    try {
        row = dataset->recNo();
    } catch (const std::exception&) {
        return;
    }
    m_syncing = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const int column = qMax(0, currentIndex().column());
        setCurrentIndex(m_model->index(row, column));
        scrollTo(m_model->index(row, column));
    }
    m_syncing = false;
}
