#include "ImportWindow.h"

#include "data/Prompt.h"

#include "widgets/StandardError.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>

namespace importdialog {

QSpinBox* spinner(const char* name, const QRect& geometry, QWidget* parent, int minimum, int maximum)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setGeometry(geometry);
    s->setRange(minimum, maximum);
    s->setValue(1);
    s->setAlignment(Qt::AlignRight);
    return s;
}

QPushButton* button(const char* name, const QString& caption, QStyle::StandardPixmap icon, const QRect& geometry,
                    QWidget* parent)
{
    auto* b = new QPushButton(parent->style()->standardIcon(icon), caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setIconSize(QSize(20, 20));
    // Enter moves between the spinners; it presses only the button it is on.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

RunView::RunView(QLabel* progressLabel)
{
    // Only the label is painted, at once: the desktop's events wait until the run and its
    // transaction are over, so nothing can reach the tables meanwhile.
    m_hooks.progress = [progressLabel](int count) {
        progressLabel->setText(QStringLiteral("Cargando Registro Nº: ") + QString::number(count));
        progressLabel->repaint();
    };
}

RunView::~RunView() = default;

QString chooseFile(const QString& caption, const QString& filter)
{
    // Both imports start where the user last found a file, else in the home folder.
    static QString lastFolder;
    const QString chosen = Prompt::current().openFileNameWithSuffix(
        caption, lastFolder.isEmpty() ? QDir::homePath() : lastFolder, filter, QStringLiteral("prn"));
    if (!chosen.isEmpty())
        lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

}  // namespace importdialog

ImportWindow::ImportWindow(QWidget* parent)
    : FormDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setPlacement(Placement::Screen);
}

void ImportWindow::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        runHandler([this] { FormActivate(); });
    FormDialog::showEvent(event);
}

void ImportWindow::FormActivate()
{
    progressLabel->clear();
    BitBtn2->setEnabled(true);
}

void ImportWindow::chooseFile(const QString& caption, const QString& filter)
{
    const QString chosen = importdialog::chooseFile(caption, filter);
    if (chosen.isEmpty())
        return;
    m_fileName = chosen;
    Edit1->setText(QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()));
}

void ImportWindow::run(const std::function<void(const imports::ImportHooks&)>& work)
{
    if (m_fileName.isEmpty())
        return;
    BitBtn2->setEnabled(false);
    progressLabel->clear();  // no count of an earlier run is left standing
    m_running = true;
    struct Finish {
        ImportWindow* window;
        ~Finish()
        {
            window->m_running = false;
            window->BitBtn2->setEnabled(true);
        }
    } finish{this};
    importdialog::RunView view(progressLabel);
    work(view.hooks());
}

void ImportWindow::BitBtn3Click() { close(); }

void ImportWindow::reject()
{
    if (!m_running)
        QDialog::reject();
}
