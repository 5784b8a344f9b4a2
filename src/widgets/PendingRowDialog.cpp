#include "PendingRowDialog.h"

#include "store/Dataset.h"

PendingRowDialog::PendingRowDialog(QWidget* parent, Qt::WindowFlags flags, store::Dataset* pendingRow)
    : QDialog(parent, flags), m_pendingRow(pendingRow)
{}

void PendingRowDialog::done(int result)
{
    if (m_pendingRow && m_pendingRow->editing())
        m_pendingRow->cancel();
    QDialog::done(result);
}
