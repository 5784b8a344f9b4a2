#include "Dataset.h"

#include "FieldCodec.h"
#include "data/text/NumberText.h"

// The fields of a view's current row and of any row by its position: read as text, number or
// date, and written into the edit buffer through the field's codec and validator.
namespace store {

// ---------------------------------------------------------------- field values

QVariant Dataset::storedValue(const QString& field) const
{
    const int i = def().fieldIndex(field);
    if (i < 0) {
        if (const LookupDef* l = m_lookups.find(field))
            return m_lookups.value(db(), *l, storedValue(l->keyField));
        throw StoreError(FieldNotFound, QStringLiteral("La vista %1 no tiene el campo %2.").arg(m_name, field));
    }
    const Row* row = currentRow();
    return row && i < row->size() ? row->at(i) : QVariant();
}

QVariant Dataset::value(const QString& field) const
{
    const FieldDef* f = def().field(field);
    const QVariant stored = storedValue(field);
    return f ? fieldcodec::fromStored(*f, stored) : stored;
}

QString Dataset::text(const QString& field) const { return fieldcodec::text(def().field(field), storedValue(field)); }

bool Dataset::isNull(const QString& field) const { return storedValue(field).isNull(); }

int Dataset::asInteger(const QString& field) const
{
    const QVariant stored = storedValue(field);
    if (stored.isNull())
        return 0;
    if (stored.typeId() == QMetaType::QString) {
        bool ok = false;
        const int n = stored.toString().trimmed().toInt(&ok);
        if (!ok)
            throw StoreError(ConversionError,
                             QStringLiteral("'%1' no es un valor entero válido.").arg(stored.toString()));
        return n;
    }
    return int(qRound64(stored.toDouble()));
}

double Dataset::asFloat(const QString& field) const
{
    const QVariant stored = storedValue(field);
    if (stored.isNull())
        return 0;
    if (stored.typeId() == QMetaType::QString) {
        const NumberReading reading = readNumber(stored.toString(), NumberForm{}, field);
        if (!reading.ok())
            throw StoreError(ConversionError, reading.refusal);
        return reading.value.value_or(0);
    }
    return stored.toDouble();
}

QDate Dataset::asDate(const QString& field) const
{
    const QVariant stored = storedValue(field);
    return stored.isNull() ? QDate() : QDate::fromString(stored.toString(), Qt::ISODate);
}

void Dataset::setText(const QString& field, const QString& text, const QString& label)
{
    setValue(field, QVariant(text), label);
}

void Dataset::setValue(const QString& field, const QVariant& value, const QString& label)
{
    requireActive();
    if (!editing())
        throw StoreError(NotEditing, QStringLiteral("No hay un registro en edición que tome ese valor."));
    if (const LookupDef* l = m_lookups.find(field)) {
        assignLookup(*l, value);
        return;
    }
    const int i = def().fieldIndex(field);
    if (i < 0)
        throw StoreError(FieldNotFound, QStringLiteral("La vista %1 no tiene el campo %2.").arg(m_name, field));
    FieldDef f = def().fields[i];
    if (!label.isEmpty())
        f.label = label;  // a refusal names the field as the window that typed it does
    if (f.type == FieldType::AutoInc)
        throw StoreError(ConversionError, QStringLiteral("%1 no se puede modificar.").arg(f.shownName()));
    const QVariant stored = fieldcodec::toStored(f, value);
    const auto validator = m_validators.constFind(f.name.toLower());
    if (validator != m_validators.constEnd())
        (*validator)(*this, fieldcodec::fromStored(f, stored));
    assignStored(i, stored);
}

void Dataset::assignStored(int fieldIndex, const QVariant& stored)
{
    m_buffer[fieldIndex] = stored;
    m_modified = true;
    emit fieldChanged(def().fields[fieldIndex].name);
    for (const LookupDef& l : m_lookups.defs())
        if (l.keyField.compare(def().fields[fieldIndex].name, Qt::CaseInsensitive) == 0)
            emit fieldChanged(l.name);
}

void Dataset::assignLookup(const LookupDef& l, const QVariant& value)
{
    setValue(l.keyField, m_lookups.keyFor(db(), l, value.toString()));
}

QVariant Dataset::valueAt(int position, const QString& field) const
{
    requireActive();
    ensureList();
    if (position < 0 || position >= m_rows.ids().size())
        return {};
    const Row row = readRow(m_rows.ids()[position]);
    const int i = def().fieldIndex(field);
    if (i >= 0)
        return fieldcodec::fromStored(def().fields[i], row.value(i));
    if (const LookupDef* l = m_lookups.find(field)) {
        const int k = def().fieldIndex(l->keyField);
        return m_lookups.value(db(), *l, row.value(k));
    }
    throw StoreError(FieldNotFound, QStringLiteral("La vista %1 no tiene el campo %2.").arg(m_name, field));
}

QString Dataset::textAt(int position, const QString& field) const
{
    requireActive();
    ensureList();
    if (position < 0 || position >= m_rows.ids().size())
        return {};
    const Row row = readRow(m_rows.ids()[position]);
    const int i = def().fieldIndex(field);
    if (i >= 0)
        return fieldcodec::text(&def().fields[i], row.value(i));
    if (const LookupDef* l = m_lookups.find(field))
        return m_lookups.value(db(), *l, row.value(def().fieldIndex(l->keyField))).toString();
    throw StoreError(FieldNotFound, QStringLiteral("La vista %1 no tiene el campo %2.").arg(m_name, field));
}

}  // namespace store
