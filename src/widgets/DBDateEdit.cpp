#include "DBDateEdit.h"

#include "FieldLink.h"
#include "data/store/StoreError.h"

#include <QFocusEvent>
#include <QTimer>

DBDateEdit::DBDateEdit(QWidget* parent) : QLineEdit(parent)
{
    // Qt's mask letters: '0' an optional digit, '9' a required one.
    setInputMask(QStringLiteral("00/00/9999;_"));
    m_link = new FieldLink(
        this, [this] { return normalised(text()); }, [this](const QString& t) { setText(t); });
    connect(this, &QLineEdit::textEdited, m_link, &FieldLink::userChanged);
}

void DBDateEdit::setDataField(store::Dataset* dataset, const QString& field) { m_link->setField(dataset, field); }

QString DBDateEdit::normalised(const QString& typed)
{
    QStringList parts = typed.split(QLatin1Char('/'));
    for (QString& part : parts)
        part = part.trimmed();
    if (parts.join(QString()).isEmpty())
        return {};
    if (parts.size() != 3 || parts[0].isEmpty() || parts[1].isEmpty() || parts[2].size() != 4)
        throw store::StoreError(
            store::ConversionError,
            QStringLiteral("La fecha '%1' está incompleta: se escribe día/mes/año, con el año de cuatro cifras.")
                .arg(typed));
    return parts[0].rightJustified(2, QLatin1Char('0')) + QLatin1Char('/') +
           parts[1].rightJustified(2, QLatin1Char('0')) + QLatin1Char('/') + parts[2];
}

void DBDateEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // An empty date is typed from its first position, wherever the click landed.
    if (text().remove(QLatin1Char('/')).trimmed().isEmpty())
        QTimer::singleShot(0, this, [this] {
            if (hasFocus() && text().remove(QLatin1Char('/')).trimmed().isEmpty())
                setCursorPosition(0);
        });
}

void DBDateEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    m_link->focusLost(event);
}
