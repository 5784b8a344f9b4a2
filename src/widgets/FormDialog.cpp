#include "FormDialog.h"

#include "data/store/Dataset.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

FormDialog::FormDialog(QWidget* parent, Qt::WindowFlags flags, store::Dataset* pendingRow)
    : QDialog(parent, flags), m_pendingRow(pendingRow)
{}

void FormDialog::done(int result)
{
    if (m_pendingRow && m_pendingRow->editing())
        m_pendingRow->cancel();
    QDialog::done(result);
}

void FormDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        QRect frame = frameGeometry();
        if (m_placement == Placement::Screen) {
            if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
                frame.moveCenter(screen->availableGeometry().center());
        } else if (m_placement == Placement::MainWindow && parentWidget()) {
            // Wherever the main window has gone since the last showing.
            frame.moveCenter(parentWidget()->window()->frameGeometry().center());
        }
        if (m_placement != Placement::Desktop)
            move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
