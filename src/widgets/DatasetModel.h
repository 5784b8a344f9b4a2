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

// The rows of a view for a grid, read on demand, so a large table costs only what is shown.
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

private:
    QPointer<store::Dataset> m_dataset;
    QList<GridColumn> m_columns;
    bool m_readOnly = true;
};
