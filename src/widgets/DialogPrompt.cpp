#include "DialogPrompt.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QWidget* ownerWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QMessageBox::Icon boxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Error:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QList<PromptButton> buttonsOf(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok:
        return {PromptButton::Ok};
    case PromptButtons::OkCancel:
        return {PromptButton::Ok, PromptButton::Cancel};
    case PromptButtons::YesNo:
        return {PromptButton::Yes, PromptButton::No};
    case PromptButtons::Yes:
        return {PromptButton::Yes};
    }
    return {PromptButton::Ok};
}

QMessageBox::StandardButton standardButton(PromptButton button)
{
    switch (button) {
    case PromptButton::Ok:
        return QMessageBox::Ok;
    case PromptButton::Cancel:
        return QMessageBox::Cancel;
    case PromptButton::Yes:
        return QMessageBox::Yes;
    case PromptButton::No:
        return QMessageBox::No;
    case PromptButton::None:
        break;
    }
    return QMessageBox::NoButton;
}

// The desktop's own labels, in Spanish whatever the toolkit's translations installed.
QString buttonText(PromptButton button)
{
    switch (button) {
    case PromptButton::Ok:
        return QStringLiteral("Aceptar");
    case PromptButton::Cancel:
        return QStringLiteral("Cancelar");
    case PromptButton::Yes:
        return QStringLiteral("&Sí");
    case PromptButton::No:
        return QStringLiteral("&No");
    case PromptButton::None:
        break;
    }
    return {};
}

}  // namespace

PromptButton DialogPrompt::ask(const PromptMessage& message)
{
    QMessageBox box(boxIcon(message.icon), message.caption, message.text, QMessageBox::NoButton, ownerWindow());
    box.setObjectName(QStringLiteral("PromptBox"));
    box.setTextFormat(Qt::PlainText);

    QHash<QAbstractButton*, PromptButton> answers;
    const QList<PromptButton> buttons = buttonsOf(message.buttons);
    for (PromptButton b : buttons) {
        QAbstractButton* added = box.addButton(standardButton(b));
        added->setText(buttonText(b));
        answers.insert(added, b);
    }
    const PromptButton defaultButton =
        buttons.contains(message.defaultButton) ? message.defaultButton : buttons.first();
    box.setDefaultButton(standardButton(defaultButton));

    // Escape and the close box press this hidden button, so a box dismissed without a choice
    // answers None instead of passing for one of its buttons.
    QPushButton* dismissed = box.addButton(QString(), QMessageBox::RejectRole);
    dismissed->setObjectName(QStringLiteral("DismissButton"));
    dismissed->hide();
    box.setEscapeButton(dismissed);

    box.exec();
    return answers.value(box.clickedButton(), PromptButton::None);
}

int DialogPrompt::choose(const PromptMessage& message, const QStringList& choices)
{
    QMessageBox box(boxIcon(message.icon), message.caption, message.text, QMessageBox::NoButton, ownerWindow());
    box.setObjectName(QStringLiteral("PromptBox"));
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    if (!buttons.isEmpty())
        box.setDefaultButton(static_cast<QPushButton*>(buttons.first()));
    // As in ask(): Escape and the close box choose nothing.
    QPushButton* dismissed = box.addButton(QString(), QMessageBox::RejectRole);
    dismissed->setObjectName(QStringLiteral("DismissButton"));
    dismissed->hide();
    box.setEscapeButton(dismissed);
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

PromptPick DialogPrompt::pick(const PromptMessage& message, const QStringList& columns, const QList<QStringList>& rows,
                              const QStringList& choices)
{
    QDialog dialog(ownerWindow());
    dialog.setObjectName(QStringLiteral("PromptList"));
    dialog.setWindowTitle(message.caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(message.text, &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName(QStringLiteral("PromptListRows"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setHeaderLabels(columns);
    for (const QStringList& row : rows)
        list->addTopLevelItem(new QTreeWidgetItem(row));
    list->header()->setStretchLastSection(true);
    for (int c = 0; c + 1 < columns.size(); ++c)
        list->resizeColumnToContents(c);
    if (!rows.isEmpty())
        list->setCurrentItem(list->topLevelItem(0));
    label->setBuddy(list);
    layout->addWidget(list);

    auto* buttons = new QDialogButtonBox(&dialog);
    int pressed = -1;
    for (int i = 0; i < choices.size(); ++i) {
        QPushButton* button = buttons->addButton(choices[i], QDialogButtonBox::ActionRole);
        if (i == 0)
            button->setDefault(true);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &pressed, i] {
            pressed = i;
            dialog.accept();
        });
    }
    QObject::connect(buttons->addButton(QDialogButtonBox::Cancel), &QPushButton::clicked, &dialog, &QDialog::reject);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    layout->addWidget(buttons);
    // A row taken by a double click or Enter is taken by the first choice.
    QObject::connect(list, &QTreeWidget::itemActivated, &dialog, [&dialog, &pressed, &choices] {
        if (!choices.isEmpty()) {
            pressed = 0;
            dialog.accept();
        }
    });
    dialog.resize(760, 320);
    list->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return {pressed, list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1};
}

QString DialogPrompt::openFileName(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(ownerWindow(), caption, folder, filter);
}

QString DialogPrompt::openFileNameWithSuffix(const QString& caption, const QString& folder, const QString& filter,
                                             const QString& defaultSuffix)
{
    QFileDialog dialog(ownerWindow(), caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QString DialogPrompt::saveFileName(const QString& caption, const QString& suggested, const QString& filter)
{
    return QFileDialog::getSaveFileName(ownerWindow(), caption, suggested, filter);
}

QString DialogPrompt::folderName(const QString& caption, const QString& folder)
{
    return QFileDialog::getExistingDirectory(ownerWindow(), caption, folder);
}

void DialogPrompt::busy(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
