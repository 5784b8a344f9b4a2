#include "FieldCodec.h"

#include "FieldRules.h"
#include "StoreError.h"
#include "data/text/FixedFormats.h"
#include "data/text/NumberText.h"

#include <QDate>
#include <QStringList>
#include <cmath>
#include <optional>

namespace store::fieldcodec {

namespace {

StoreError conversionError(const QString& text) { return StoreError(ConversionError, text); }

NumberForm numberForm(const FieldDef& f)
{
    const bool whole = f.type != FieldType::Float;
    return {whole ? 0 : f.decimals, f.negative && !f.positive};
}

// Typed text for a number field, read the one way the program reads numbers.
std::optional<double> readTyped(const FieldDef& f, const QString& text)
{
    const NumberReading reading = readNumber(text, numberForm(f), f.shownName());
    if (!reading.ok())
        throw conversionError(reading.refusal);
    return reading.value;
}

// The entry mask leaves '_' or blanks in positions not typed.
QString unmasked(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('_'), QLatin1Char(' '));
    return s;
}

bool onlyMask(const QString& text) { return unmasked(text).remove(QLatin1Char('/')).trimmed().isEmpty(); }

// The value in the form the file holds it, before the field's rules are asked about it.
QVariant converted(const FieldDef& f, const QVariant& value)
{
    const bool isText = value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
    const QString text = value.toString();
    switch (f.type) {
    case FieldType::Text: {
        const QString typed =
            f.form == TextForm::Date ? (onlyMask(text) ? QString() : fieldrules::dateText(text)) : text;
        const QStringView cut = storedText(f, typed);
        if (cut.isEmpty())
            return {};
        return cut.size() == typed.size() ? QVariant(typed) : QVariant(cut.toString());
    }
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::AutoInc: {
        double d = 0;
        if (isText) {
            const std::optional<double> typed = readTyped(f, text);
            if (!typed)
                return {};
            d = *typed;
        } else {
            d = value.toDouble();
        }
        // A value past any whole-number field, or with a fraction, stays a float for the rules to refuse.
        if (std::isfinite(d) && std::fabs(d) < 1e15 && d == std::floor(d))
            return qint64(d);
        return d;
    }
    case FieldType::Float: {
        if (!isText)
            return value.toDouble();
        const std::optional<double> typed = readTyped(f, text);
        return typed ? QVariant(*typed) : QVariant();
    }
    case FieldType::Date: {
        // The stored form YYYY-MM-DD holds years 1 to 9999 only.
        const auto storable = [](const QDate& d) { return d.isValid() && d.year() >= 1 && d.year() <= 9999; };
        const QString invalid = QStringLiteral("'%1' no es una fecha válida para %2.");
        if (value.typeId() == QMetaType::QDate) {
            const QDate d = value.toDate();
            if (d.isValid() && !storable(d))
                throw conversionError(invalid.arg(formats::date(d), f.shownName()));
            return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
        }
        if (onlyMask(text))
            return {};
        const QStringList parts = unmasked(text).split(QLatin1Char('/'));
        bool okDay = false, okMonth = false, okYear = false;
        const QDate d = parts.size() == 3 ? QDate(parts[2].trimmed().toInt(&okYear), parts[1].trimmed().toInt(&okMonth),
                                                  parts[0].trimmed().toInt(&okDay))
                                          : QDate();
        if (!okDay || !okMonth || !okYear || !storable(d))
            throw conversionError(invalid.arg(text, f.shownName()));
        return d.toString(Qt::ISODate);
    }
    }
    return {};
}

}  // namespace

QStringView storedText(const FieldDef& f, QStringView text)
{
    const QStringView cut = cutToWidth(f, text);
    const QString why = fieldrules::textFault(f, cut);
    if (!why.isEmpty())
        throw conversionError(why);
    return cut;
}

QVariant toStored(const FieldDef& f, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    const QVariant stored = converted(f, value);
    if (stored.isNull())
        return stored;
    const QString why = fieldrules::fault(f, stored);
    if (!why.isEmpty())
        throw conversionError(why);
    return stored;
}

QVariant fromStored(const FieldDef& f, const QVariant& stored)
{
    if (stored.isNull() || !stored.isValid())
        return {};
    switch (f.type) {
    case FieldType::Text:
        return stored.toString();
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::AutoInc:
        return stored.toInt();
    case FieldType::Float:
        return stored.toDouble();
    case FieldType::Date:
        return QDate::fromString(stored.toString(), Qt::ISODate);
    }
    return {};
}

QString text(const FieldDef* f, const QVariant& stored)
{
    if (stored.isNull() || !stored.isValid())
        return {};
    if (!f)
        return stored.toString();
    switch (f->type) {
    case FieldType::Float:
        return formats::number(stored.toDouble());
    case FieldType::Date:
        return formats::date(QDate::fromString(stored.toString(), Qt::ISODate));
    default:
        return stored.toString();
    }
}

}  // namespace store::fieldcodec
