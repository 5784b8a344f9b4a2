#include "FieldRules.h"

#include "data/text/FixedFormats.h"
#include "data/text/Text1252.h"

#include <QDate>
#include <QLocale>
#include <cmath>
#include <limits>

namespace store::fieldrules {

namespace {

bool textual(const QVariant& v) { return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray; }

// dd/mm/yyyy exactly, a real day of a year from 1 to 9999.
bool calendarDate(QStringView text)
{
    if (text.size() != 10 || text[2] != QLatin1Char('/') || text[5] != QLatin1Char('/'))
        return false;
    for (qsizetype i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return false;
    const QDate d(text.mid(6, 4).toInt(), text.mid(3, 2).toInt(), text.left(2).toInt());
    return d.isValid() && d.year() >= 1;
}

QString numberFault(const FieldDef& f, const QVariant& stored)
{
    const QString& label = f.shownName();
    bool ok = false;
    const double d = textual(stored) ? QLocale::c().toDouble(stored.toString().trimmed(), &ok) : stored.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return QStringLiteral("%1 no tiene un número válido ('%2').").arg(label, stored.toString());
    const QString shown = formats::number(d);
    const bool whole = f.type != FieldType::Float || f.decimals == 0;
    if (whole && d != std::floor(d))
        return QStringLiteral("%1 admite solo números enteros, sin decimales (%2).").arg(label, shown);
    if ((!f.negative || f.positive || f.type == FieldType::AutoInc) && d < 0)
        return QStringLiteral("%1 no admite números negativos (%2).").arg(label, shown);
    if ((f.positive || f.type == FieldType::AutoInc) && d == 0)
        return QStringLiteral("%1 debe ser mayor que cero (%2).").arg(label, shown);
    if (f.type == FieldType::Float)
        return {};
    const double low = f.positive ? 1 : !f.negative ? 0 : f.type == FieldType::Int16 ? -32768 : -2147483648.0;
    const double high = f.type == FieldType::Int16 ? 32767 : 2147483647.0;
    if (d < low || d > high)
        return QStringLiteral("%1 debe estar entre %2 y %3 (%4).")
            .arg(label, formats::number(low), formats::number(high), shown);
    return {};
}

}  // namespace

QString dateText(const QString& typed)
{
    const QStringList parts = typed.trimmed().split(QLatin1Char('/'));
    if (parts.size() != 3 || parts[0].isEmpty() || parts[0].size() > 2 || parts[1].isEmpty() || parts[1].size() > 2 ||
        parts[2].size() != 4)
        return typed;
    return parts[0].rightJustified(2, QLatin1Char('0')) + QLatin1Char('/') +
           parts[1].rightJustified(2, QLatin1Char('0')) + QLatin1Char('/') + parts[2];
}

QString textFault(const FieldDef& f, QStringView text)
{
    const QString& label = f.shownName();
    // What the repair would set aside, a row never takes: a NUL ends a text in the files we
    // write, and a line break would split a line of the declaration file.
    if (text.contains(QChar(0)))
        return QStringLiteral("%1 no admite caracteres nulos.").arg(label);
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
        return QStringLiteral("%1 no admite saltos de línea.").arg(label);
    if (!fitsWindows1252(text)) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            if (!fitsWindows1252(text.mid(i, n)))
                return QStringLiteral("%1 tiene un carácter que no se puede guardar ('%2').")
                    .arg(label, text.mid(i, n).toString());
            i += n - 1;
        }
    }
    if (f.form == TextForm::Date && !text.isEmpty() && !calendarDate(text))
        return QStringLiteral("'%1' no es una fecha válida para %2: se escribe día/mes/año (31/12/2024).")
            .arg(text.toString(), label);
    return {};
}

QString fault(const FieldDef& f, const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return f.type == FieldType::AutoInc ? QStringLiteral("Falta la clave del registro (%1).").arg(f.shownName())
                                            : QString();
    switch (f.type) {
    case FieldType::Text: {
        const QString text = stored.toString();
        if (f.width > 0 && text.size() > f.width)
            return QStringLiteral("%1 admite hasta %2 caracteres (tiene %3).")
                .arg(f.shownName())
                .arg(f.width)
                .arg(text.size());
        return textFault(f, text);
    }
    case FieldType::Date: {
        const QString text = stored.toString();
        const QDate d = QDate::fromString(text, Qt::ISODate);
        if (text.size() != 10 || !d.isValid() || d.year() < 1)
            return QStringLiteral("'%1' no es una fecha válida para %2.").arg(text, f.shownName());
        return {};
    }
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::AutoInc:
    case FieldType::Float:
        return numberFault(f, stored);
    }
    return {};
}

}  // namespace store::fieldrules
