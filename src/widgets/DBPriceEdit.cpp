#include "DBPriceEdit.h"

#include "FieldLink.h"
#include "data/text/FixedFormats.h"
#include "data/text/NumberText.h"

#include <QFocusEvent>

DBPriceEdit::DBPriceEdit(QWidget* parent) : QLineEdit(parent)
{
    m_link = new FieldLink(
        this, [this] { return text(); }, [this](const QString& t) { setText(editText(t)); });
    connect(this, &QLineEdit::textEdited, m_link, &FieldLink::userChanged);
}

void DBPriceEdit::setDataField(store::Dataset* dataset, const QString& field) { m_link->setField(dataset, field); }

QString DBPriceEdit::editText(const QString& fieldText)
{
    const store::NumberReading reading = store::readNumber(fieldText, {}, {});
    return reading.value ? store::formats::twoDecimals(*reading.value) : fieldText;
}

void DBPriceEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    m_link->focusLost(event);
}
