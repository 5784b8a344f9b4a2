#pragma once

#include <QDialog>
#include <QPointer>

namespace store {
class Dataset;
}

// The base of the program's dialogs. Each is placed when it is shown (not when brought back
// from the task bar): in the middle of the screen, on the main window, or where the desktop
// puts it. One that edits a row of a view drops a change still pending there however it closes
// (a button, the title bar's close, Esc), so nothing half entered stays behind.
class FormDialog : public QDialog {
    Q_OBJECT
public:
    enum class Placement { Desktop, Screen, MainWindow };

    FormDialog(QWidget* parent, Qt::WindowFlags flags = {}, store::Dataset* pendingRow = nullptr);
    void setPlacement(Placement placement) { m_placement = placement; }
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<store::Dataset> m_pendingRow;
    Placement m_placement = Placement::Desktop;
};
