#pragma once

#include "data/store/Dataset.h"

#include <QAbstractTableModel>
#include <QPointer>

// One grid column: a field of the view, its title, its width in characters and how it shows.
struct GridColumn {
    enum class Format { Plain, Money, Right };  // Money: #,##0.00; Right: as stored, right-aligned
    QString field;
    QString title;  // the field's name when empty
    int width = 0;  // characters; the field's width when 0
    Format format = Format::Plain;
};

// The rows of a view for a grid, read on demand, so a large table costs only what is shown. A
// model that is not live (its grid hidden) shows no rows and reads nothing; it reads the view
// again when it becomes live. A row that changes alone changes that row of the grid alone.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject* parent = nullptr);

    void setDataset(store::Dataset* dataset, QList<GridColumn> columns);
    store::Dataset* dataset() const { return m_dataset; }
    const QList<GridColumn>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void setReadOnly(bool on) { m_readOnly = on; }
    void setLive(bool on);
    bool live() const { return m_live; }

signals:
    void changingRows(bool changing);  // around a row coming or going, before Qt hears of it

private:
    void reset();
    int viewRow(int row) const;  // the view's position of a grid row; -1 for the row leaving
    QPointer<store::Dataset> m_dataset;
    QList<GridColumn> m_columns;
    bool m_readOnly = true;
    bool m_live = true;
    mutable int m_count = -1;  // the rows the grid was told of; -1 until it asks
    int m_changedRow = -1;     // while Qt is told of a row coming or going: that row
    int m_shift = 0;           // +1 for a row coming in, -1 for a row leaving
};
