#pragma once

// The keyboard as the window tests drive it: keys go to the control that has the focus, the
// way a clerk's keys do, and a window is only typed into once it is active.

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QWidget>

namespace keyboard {

// Presses one key on the control that has the focus.
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// Types a text into the control that has the focus.
inline void type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }

inline void pressEnter() { press(Qt::Key_Return); }

// Types into the focused control, then leaves it with Enter (an empty text only presses Enter).
inline void typeAndEnter(const QString& text)
{
    if (!text.isEmpty())
        type(text);
    press(Qt::Key_Return);
}

// Types into the focused control, then leaves it with Tab (an empty text only presses Tab).
inline void typeAndTab(const QString& text)
{
    if (!text.isEmpty())
        type(text);
    press(Qt::Key_Tab);
}

// The control that has the focus, by designer name: the unnamed edit box inside a drop-down
// list stands for the list.
inline QString focusedName()
{
    QWidget* w = QApplication::focusWidget();
    if (w && w->parentWidget() && (qobject_cast<QComboBox*>(w->parentWidget()) || w->objectName().isEmpty()))
        w = w->parentWidget();
    return w ? w->objectName() : QString();
}

// Shows a window and waits until it is active, as a modal loop would make it; another window
// may hold the activation before. False when it never becomes active.
[[nodiscard]] inline bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

}  // namespace keyboard
