#pragma once

#include <QDialog>
#include <QPointer>

namespace store {
class Dataset;
}

// A dialog that edits a row of one view: however it closes (a button, the title bar's close,
// Esc), a change still pending in that view is dropped, so nothing half entered stays behind.
class PendingRowDialog : public QDialog {
    Q_OBJECT
public:
    PendingRowDialog(QWidget* parent, Qt::WindowFlags flags, store::Dataset* pendingRow);
    void done(int result) override;

private:
    QPointer<store::Dataset> m_pendingRow;
};
