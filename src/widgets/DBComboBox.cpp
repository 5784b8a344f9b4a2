#include "DBComboBox.h"

#include "FieldLink.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QScrollBar>

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Items are offered, not enforced: a typed text stays as typed, blanks included.
    setCompleter(nullptr);
    m_link = new FieldLink(
        this, [this] { return currentText(); }, [this](const QString& t) { setEditText(t); });
    connect(lineEdit(), &QLineEdit::textEdited, m_link, &FieldLink::userChanged);
    connect(this, &QComboBox::activated, m_link, [this] { m_link->userChanged(); });
}

void DBComboBox::setDataField(store::Dataset* dataset, const QString& field)
{
    m_link->setField(dataset, field);
    const int width = m_link->width();
    lineEdit()->setMaxLength(width > 0 ? width : 32767);
}

void DBComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    m_link->focusLost(event);
}

void DBComboBox::showPopup()
{
    int widest = 0;
    const QFontMetrics metrics = view()->fontMetrics();
    for (int i = 0; i < count(); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(itemText(i)));
    view()->setMinimumWidth(widest + view()->verticalScrollBar()->sizeHint().width() + 4 * view()->frameWidth() + 16);
    QComboBox::showPopup();
    const int own = currentText().isEmpty() ? -1 : findText(currentText(), Qt::MatchFixedString);
    if (own < 0) {
        view()->selectionModel()->clearSelection();
        view()->setCurrentIndex(QModelIndex());
    } else {
        view()->setCurrentIndex(model()->index(own, modelColumn(), rootModelIndex()));
        view()->scrollTo(view()->currentIndex());
    }
}
