#pragma once

#include <QIcon>
#include <QPushButton>
#include <QString>

// Small pieces the period dialogs share.
namespace parts {

// A control with its designer name and a fixed width.
template <typename Control>
Control* named(Control* control, const char* name, int width)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setFixedWidth(width);
    return control;
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

}  // namespace parts
