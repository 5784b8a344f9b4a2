#pragma once

#include "ImportProgress.h"

#include <QString>
#include <QStyle>
#include <climits>
#include <memory>

class QDialog;
class QLabel;
class QPushButton;
class QSpinBox;
class QWidget;
class WaitCursor;

// Pieces the two import dialogs share.
namespace importdialog {

// A number spinner that starts at 1; without bounds unless given.
QSpinBox* spinner(const char* name, const QRect& geometry, QWidget* parent, int minimum = INT_MIN,
                  int maximum = INT_MAX);
QLabel* label(const char* name, const QString& text, const QRect& geometry, QWidget* parent,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
QPushButton* button(const char* name, const QString& caption, QStyle::StandardPixmap icon, const QRect& geometry,
                    QWidget* parent);
void centreOnScreen(QDialog* dialog);

// The hooks that show a run in the dialog: the hourglass while lines are read, and the
// progress label, painted at once and the window kept alive (no user input is taken meanwhile).
class RunView {
public:
    RunView(QLabel* progressLabel);
    ~RunView();
    const import::ImportHooks& hooks() const { return m_hooks; }

private:
    import::ImportHooks m_hooks;
    std::unique_ptr<WaitCursor> m_cursor;
};

// The file-open dialog of the imports; an empty text when the user cancelled.
QString chooseFile(const QString& caption, const QString& filter);

}  // namespace importdialog
