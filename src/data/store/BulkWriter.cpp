#include "BulkWriter.h"

#include "FieldCodec.h"

namespace store {

namespace {

QString insertSql(const Database& db, const QString& table, const QStringList& fields, const QString& onConflict)
{
    QStringList columns, marks;
    for (const QString& f : fields) {
        columns << quoteIdentifier(f);
        marks << QStringLiteral("?");
    }
    QString sql =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(db.qualifiedTable(table), columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    if (!onConflict.isEmpty())
        sql += QLatin1Char(' ') + onConflict;
    return sql;
}

// Plain ASCII without NUL, the most of any register, passes every rule of a stored text: it is
// copied into the buffer kept from row to row in one pass. False for anything else.
bool plainAscii(QStringView text, QByteArray& buffer)
{
    buffer.resize(text.size());
    char* out = buffer.data();
    for (QChar c : text) {
        if (c.unicode() >= 0x80 || c.unicode() == 0)
            return false;
        *out++ = char(c.unicode());
    }
    return true;
}

}  // namespace

BulkWriter::BulkWriter(Database& db, const QString& table, const QStringList& fields, const QString& onConflict)
    : m_db(db), m_table(table), m_cache(db, table), m_utf8(fields.size()),
      m_insert(db, insertSql(db, table, fields, onConflict))
{
    const TableDef& def = db.tableDef(table);
    for (const QString& name : fields) {
        const FieldDef* f = def.field(name);
        if (!f)
            throw StoreError(FieldNotFound, QStringLiteral("La tabla %1 no tiene el campo %2.").arg(table, name));
        m_fields << f;
    }
}

void BulkWriter::setText(int column, QStringView text)
{
    const FieldDef& f = *m_fields.at(column);
    if (f.type != FieldType::Text) {
        setValue(column, text.toString());
        return;
    }
    QByteArray& utf8 = m_utf8[column];
    if (!plainAscii(fieldcodec::cutToWidth(f, text), utf8))
        utf8 = fieldcodec::storedText(f, text).toUtf8();
    if (utf8.isEmpty()) {
        m_insert.bind(column + 1, QVariant());
        return;
    }
    m_insert.bindUtf8(column + 1, utf8);
}

void BulkWriter::setValue(int column, const QVariant& value)
{
    m_insert.bind(column + 1, fieldcodec::toStored(*m_fields.at(column), value));
}

bool BulkWriter::insert()
{
    struct Cleared {
        Statement& insert;
        ~Cleared() { insert.reset(); }
    } cleared{m_insert};
    m_insert.step();
    return m_db.changes() > 0;
}

void BulkWriter::finish()
{
    m_cache.release();
    m_db.noteChanged(m_table);
}

}  // namespace store
