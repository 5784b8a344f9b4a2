#pragma once

#include "imports/ImportProgress.h"
#include "widgets/DialogParts.h"
#include "widgets/FormDialog.h"

#include <QString>
#include <QStyle>
#include <climits>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

// Pieces the two import dialogs share.
namespace importdialog {

// A number spinner that starts at 1; without bounds unless given.
QSpinBox* spinner(const char* name, const QRect& geometry, QWidget* parent, int minimum = INT_MIN,
                  int maximum = INT_MAX);
using parts::label;
QPushButton* button(const char* name, const QString& caption, QStyle::StandardPixmap icon, const QRect& geometry,
                    QWidget* parent);

// The hook that shows a run in the dialog: the progress label, painted at once.
class RunView {
public:
    RunView(QLabel* progressLabel);
    ~RunView();
    const imports::ImportHooks& hooks() const { return m_hooks; }

private:
    imports::ImportHooks m_hooks;
};

// The file-open dialog of the imports; an empty text when the user cancelled.
QString chooseFile(const QString& caption, const QString& filter);

}  // namespace importdialog

// What the two import dialogs share: the chosen file shown in Edit1, "&Cargar" (BitBtn2) held
// while a run goes on, the progress label, the window centred each time it is shown.
class ImportWindow : public FormDialog {
    Q_OBJECT
public slots:
    void FormActivate();     // a clean progress label and "&Cargar" ready
    void BitBtn3Click();     // "&Salir"
    void reject() override;  // a run is not left half way by Escape or the window's close box

protected:
    explicit ImportWindow(QWidget* parent);
    void showEvent(QShowEvent* event) override;
    // The file dialog; a file chosen there is the one "&Cargar" loads.
    void chooseFile(const QString& caption, const QString& filter);
    // Runs an import of the chosen file with "&Cargar" held and the progress shown; nothing
    // happens while no file was chosen.
    void run(const std::function<void(const imports::ImportHooks&)>& work);

    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;  // "S&eleccionar"
    QPushButton* BitBtn2 = nullptr;  // "&Cargar"
    QPushButton* BitBtn3 = nullptr;  // "&Salir"
    QLabel* progressLabel = nullptr;
    QString m_fileName;  // the file last picked in the file dialog

private:
    bool m_running = false;
};
