#pragma once

#include "data/store/Dataset.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

// Binds one control to one field of a view: shows the field of the current (or pending) row,
// and writes what the user typed back into the field when the control is left or the view is
// about to post. A refused value keeps the field's former value and the typed text, so the
// user can correct it.
class QFocusEvent;

class FieldLink : public QObject {
    Q_OBJECT
public:
    using Reader = std::function<QString()>;
    using Shower = std::function<void(const QString&)>;
    // Writes what was typed into the row; by default the field takes it as its text.
    using Writer = std::function<void(const QString&)>;

    FieldLink(QWidget* control, Reader read, Shower show, Writer write = {});

    // The control shows field; a change of alsoShown (the key behind a lookup) is shown too.
    void setField(store::Dataset* dataset, const QString& field, const QString& alsoShown = {});
    store::Dataset* dataset() const { return m_dataset; }
    const QString& field() const { return m_field; }
    int width() const;  // the field's width in characters, 0 when it has none

    // The user changed the control: the view goes into editing if it was browsing.
    void userChanged();
    bool modified() const { return m_modified; }
    void revert();     // drops what was typed and shows the field again
    void writeBack();  // throws when the field refuses the value
    bool leave();      // writeBack() for a control losing the focus; shows a refusal, false then
    // The control lost the focus: leave() unless only a box or list popped up over the dialog.
    void focusLost(const QFocusEvent* event);
    // Whether the focus went elsewhere for good: a box or list that pops up over the dialog, or
    // another window brought to the front, is not leaving the control.
    static bool leavesForGood(const QFocusEvent* event);
    void refresh();

    // What the window calls a control: the text of the label it is the buddy of, without its
    // '&' and ':'; empty when no label names it. Messages name a field by it.
    static QString windowLabel(const QWidget* control);

private:
    QWidget* m_control;
    Reader m_read;
    Shower m_show;
    Writer m_write;
    QPointer<store::Dataset> m_dataset;
    QString m_field;
    QString m_alsoShown;
    bool m_modified = false;
    bool m_showing = false;
    QList<QMetaObject::Connection> m_connections;
};
