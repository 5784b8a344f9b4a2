#include "EnterAsTab.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

EnterAsTab::EnterAsTab(QWidget* dialog) : QObject(dialog), m_dialog(dialog) {}

void EnterAsTab::install(QWidget* dialog)
{
    auto* filter = new EnterAsTab(dialog);
    // Watching the application sees the key before the control and its dialog do.
    qApp->installEventFilter(filter);
}

void EnterAsTab::focusNext(QWidget* from)
{
    QWidget* window = from->window();
    QWidget* next = from->nextInFocusChain();
    while (next && next != from) {
        if (next->window() == window && next->isVisibleTo(window) && next->isEnabled() &&
            (next->focusPolicy() & Qt::TabFocus) && !next->focusProxy())
            break;
        next = next->nextInFocusChain();
    }
    if (next && next != from)
        next->setFocus(Qt::TabFocusReason);
}

void EnterAsTab::setTabChain(const QList<QWidget*>& controls)
{
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

bool EnterAsTab::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_dialog || widget != QApplication::focusWidget())
        return false;
    if (auto* button = qobject_cast<QAbstractButton*>(widget); button && !qobject_cast<QCheckBox*>(widget)) {
        button->click();
        return true;
    }
    // The edit box inside a drop-down list or spinner stands for its owner.
    QWidget* control = widget;
    if (qobject_cast<QLineEdit*>(widget) && widget->parentWidget() &&
        (qobject_cast<QComboBox*>(widget->parentWidget()) || qobject_cast<QAbstractSpinBox*>(widget->parentWidget())))
        control = widget->parentWidget();
    if (qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control) ||
        qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QCheckBox*>(control) ||
        qobject_cast<QAbstractItemView*>(control)) {
        focusNext(control);
        return true;
    }
    return false;
}
