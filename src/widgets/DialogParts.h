#pragma once

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QString>

// Small pieces the period dialogs share.
namespace parts {

// The two colours of the program's status texts: navy for what went well, maroon for a warning.
inline const QColor Navy(0x00, 0x00, 0x80);
inline const QColor Maroon(0x80, 0x00, 0x00);

// A control with its designer name and a fixed width.
template <typename Control>
Control* named(Control* control, const char* name, int width)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setFixedWidth(width);
    return control;
}

// A control with its designer name where the form puts it.
template <typename Control>
Control* place(Control* control, const char* name, const QRect& geometry)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

// A label with its designer name where the form puts it.
inline QLabel* label(const char* name, const QString& text, const QRect& geometry, QWidget* parent,
                     Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* l = place(new QLabel(text, parent), name, geometry);
    l->setAlignment(alignment);
    return l;
}

// A button with a glyph beside its caption that never acts as the dialog's default button:
// Enter moves from box to box and presses only the button it is on.
inline QPushButton* button(const char* name, const QString& caption, const QIcon& icon, QWidget* parent)
{
    auto* b = new QPushButton(icon, caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIconSize(QSize(20, 20));
    b->setMinimumSize(96, 32);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

// Keeps a drop-down list from changing while it is read-only: its list does not open and the
// arrow keys and the wheel do not step through it. Typing is stopped by its edit box.
class ComboLock : public QObject {
public:
    explicit ComboLock(QComboBox* combo) : QObject(combo), m_combo(combo)
    {
        setObjectName(QStringLiteral("readOnlyLock"));
        combo->installEventFilter(this);
        if (combo->lineEdit())
            combo->lineEdit()->installEventFilter(this);
    }
    bool on = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!on)
            return false;
        switch (event->type()) {
        case QEvent::Wheel:
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return watched == m_combo;  // the arrow; a click in the edit box only places the cursor
        case QEvent::KeyPress:
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_F4:
                return true;
            default:
                return false;
            }
        default:
            return false;
        }
    }

private:
    QComboBox* m_combo;
};

// Read-only as a form designer means it: the control keeps its place in the tab order and shows
// its value, but takes no change from the user.
inline void setReadOnly(QWidget* control, bool readOnly)
{
    // A box that takes no typing shows the window's colour instead of the white of one that does.
    QPalette palette = QApplication::palette(control);
    if (readOnly)
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    control->setPalette(palette);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setReadOnly(readOnly);
        return;
    }
    auto* combo = qobject_cast<QComboBox*>(control);
    if (!combo)
        return;
    if (combo->lineEdit()) {
        combo->lineEdit()->setReadOnly(readOnly);
        combo->lineEdit()->setPalette(palette);
    }
    auto* lock = combo->findChild<ComboLock*>(QStringLiteral("readOnlyLock"), Qt::FindDirectChildrenOnly);
    if (!lock)
        lock = new ComboLock(combo);
    lock->on = readOnly;
}

// Whether setReadOnly() left the control read-only.
inline bool isReadOnly(const QWidget* control)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->isReadOnly();
    const auto* combo = qobject_cast<const QComboBox*>(control);
    return combo && combo->lineEdit() && combo->lineEdit()->isReadOnly();
}

}  // namespace parts
