#include "StoredValue.h"

#include "data/text/Text1252.h"

#include <QDate>
#include <QStringDecoder>
#include <cmath>
#include <limits>

namespace store::pages {

namespace {

bool integral(const Value& v, qint64 low, qint64 high)
{
    if (v.kind == Value::Integer)
        return v.integer >= low && v.integer <= high;
    return v.kind == Value::Real && std::isfinite(v.real) && std::floor(v.real) == v.real && v.real >= double(low) &&
           v.real <= double(high);
}

}  // namespace

std::optional<QString> utf8Text(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString fieldFault(const FieldDef& field, const Value& value)
{
    // Named as the clerk knows the field: the report of a repair and a refused backup show it.
    const QString& name = field.shownName();
    if (value.kind == Value::Missing)
        return QStringLiteral("No se pudo leer el campo %1.").arg(name);
    switch (field.type) {
    case FieldType::AutoInc:
        if (value.kind == Value::Integer && value.integer >= 1)
            return {};
        return QStringLiteral("Falta la clave %1.").arg(name);
    case FieldType::Int16:
        if (value.kind == Value::Null || integral(value, -32768, 32767))
            return {};
        return QStringLiteral("El campo %1 no tiene un número entero que el campo admita.").arg(name);
    case FieldType::Int32:
        if (value.kind == Value::Null ||
            integral(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()))
            return {};
        return QStringLiteral("El campo %1 no tiene un número entero que el campo admita.").arg(name);
    case FieldType::Float:
        if (value.kind == Value::Null || value.kind == Value::Integer ||
            (value.kind == Value::Real && std::isfinite(value.real)))
            return {};
        return QStringLiteral("El campo %1 no tiene un número.").arg(name);
    case FieldType::Date:
    case FieldType::Text:
        break;
    }
    if (value.kind == Value::Null)
        return {};
    if (value.kind != Value::Text)
        return QStringLiteral("El campo %1 no tiene texto.").arg(name);
    const std::optional<QString> text = utf8Text(value.bytes);
    if (!text)
        return QStringLiteral("El campo %1 no tiene un texto legible.").arg(name);
    if (text->contains(QChar(0)))
        return QStringLiteral("El campo %1 tiene caracteres nulos.").arg(name);
    if (field.type == FieldType::Date) {
        if (text->size() == 10 && QDate::fromString(*text, QStringLiteral("yyyy-MM-dd")).isValid())
            return {};
        return QStringLiteral("El campo %1 no tiene una fecha.").arg(name);
    }
    if (field.width > 0 && text->size() > field.width)
        return QStringLiteral("El campo %1 tiene más de %2 caracteres.").arg(name).arg(field.width);
    if (!fitsWindows1252(*text))
        return QStringLiteral("El campo %1 tiene caracteres que la tabla no admite.").arg(name);
    return {};
}

}  // namespace store::pages
