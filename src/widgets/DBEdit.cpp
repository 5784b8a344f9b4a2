#include "DBEdit.h"

#include "FieldLink.h"
#include "UpperCaseValidator.h"

#include <QFocusEvent>

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent)
{
    m_link = new FieldLink(
        this, [this] { return text(); }, [this](const QString& t) { setText(t); });
    connect(this, &QLineEdit::textEdited, m_link, &FieldLink::userChanged);
}

void DBEdit::setDataField(store::Dataset* dataset, const QString& field)
{
    m_link->setField(dataset, field);
    const int width = m_link->width();
    setMaxLength(width > 0 ? width : 32767);
}

void DBEdit::setUpperCase(bool on) { setValidator(on ? new UpperCaseValidator(this) : nullptr); }

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    m_link->focusLost(event);
}
