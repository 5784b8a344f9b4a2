#pragma once

#include "DatasetModel.h"

#include <QTableView>

// A grid over a view: its current line is the view's current row, both ways.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);

    void setDataset(store::Dataset* dataset, QList<GridColumn> columns);
    void setReadOnly(bool on);
    // A designed width in pixels that the column keeps unless its whole values need more.
    void widenColumn(int column, int pixels);
    DatasetModel& gridModel() { return *m_model; }

signals:
    void rowDoubleClicked();

protected:
    // A grid reads its view while it is shown only: hidden, it shows no rows.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    void followDataset();
    void applyWidths();
    DatasetModel* m_model;
    bool m_syncing = false;
};
