#include "FieldCodec.h"

#include "FixedFormats.h"
#include "NumberText.h"
#include "StoreError.h"
#include "Text1252.h"

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
    return {whole ? 0 : f.decimals, f.negative};
}

// Typed text for a number field, read the one way the program reads numbers.
std::optional<double> readTyped(const FieldDef& f, const QString& text)
{
    const NumberReading reading = readNumber(text, numberForm(f), f.name);
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

}  // namespace

QStringView storedText(const FieldDef& f, QStringView text)
{
    const QStringView cut = cutToWidth(f, text);
    // What the repair would set aside, a row never takes: a NUL ends a text in the files we write.
    if (cut.contains(QChar(0)))
        throw conversionError(QStringLiteral("El campo %1 no admite caracteres nulos.").arg(f.name));
    if (!fitsWindows1252(cut))
        throw conversionError(
            QStringLiteral("El campo %1 admite solo caracteres de la página de códigos Windows-1252.").arg(f.name));
    return cut;
}

QVariant toStored(const FieldDef& f, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    const bool isText = value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
    const QString text = value.toString();
    switch (f.type) {
    case FieldType::Text: {
        const QStringView cut = storedText(f, text);
        if (cut.isEmpty())
            return {};
        return cut.size() == text.size() ? QVariant(text) : QVariant(cut.toString());
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
        const qint64 low = f.type == FieldType::Int16 ? -32768 : -2147483648LL;
        const qint64 high = f.type == FieldType::Int16 ? 32767 : 2147483647LL;
        // Bounded before the conversion: a double past the range has no whole number to become.
        if (!(d >= double(low) && d <= double(high)))
            throw conversionError(
                QStringLiteral("El valor del campo %1 debe estar entre %2 y %3.").arg(f.name).arg(low).arg(high));
        const qint64 n = qint64(d);
        if (double(n) != d)
            throw conversionError(
                QStringLiteral("'%1' no es un valor entero válido para el campo %2.").arg(text, f.name));
        return n;
    }
    case FieldType::Float: {
        std::optional<double> typed;
        if (isText && !(typed = readTyped(f, text)))
            return {};
        const double d = isText ? *typed : value.toDouble();
        // Not-a-number and infinity cannot be stored or written to a declaration.
        if (!std::isfinite(d))
            throw conversionError(
                QStringLiteral("'%1' no es un valor numérico válido para el campo %2.").arg(text, f.name));
        return d;
    }
    case FieldType::Date: {
        // The stored form YYYY-MM-DD holds years 1 to 9999 only.
        const auto storable = [](const QDate& d) { return d.isValid() && d.year() >= 1 && d.year() <= 9999; };
        if (value.typeId() == QMetaType::QDate) {
            const QDate d = value.toDate();
            if (d.isValid() && !storable(d))
                throw conversionError(QStringLiteral("'%1' no es una fecha válida.").arg(formats::date(d)));
            return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
        }
        const QString t = unmasked(text);
        if (QString(t).remove(QLatin1Char('/')).trimmed().isEmpty())
            return {};
        const QStringList parts = t.split(QLatin1Char('/'));
        bool okDay = false, okMonth = false, okYear = false;
        const QDate d = parts.size() == 3 ? QDate(parts[2].trimmed().toInt(&okYear), parts[1].trimmed().toInt(&okMonth),
                                                  parts[0].trimmed().toInt(&okDay))
                                          : QDate();
        if (!okDay || !okMonth || !okYear || !storable(d))
            throw conversionError(QStringLiteral("'%1' no es una fecha válida.").arg(text));
        return d.toString(Qt::ISODate);
    }
    }
    return {};
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
