#pragma once

#include <QList>
#include <QObject>

class QWidget;

// Enter typed in an edit box, drop-down list, spinner, check box or grid of a dialog moves the
// focus to the next control, like Tab, and goes no further; on a button Enter presses it.
class EnterAsTab : public QObject {
    Q_OBJECT
public:
    static void install(QWidget* dialog);
    static void focusNext(QWidget* from);
    // Tab (and so Enter) walks the controls in the order listed.
    static void setTabChain(const QList<QWidget*>& controls);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit EnterAsTab(QWidget* dialog);
    QWidget* m_dialog;
};
