#pragma once

#include "BulkCache.h"
#include "Database.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QStringView>

namespace store {

// Many rows added to one table in one run, through the field rules a post applies: one
// prepared insert for the run, text cut to its field and checked for Windows-1252, empty text
// stored as null, numbers and dates converted as the views convert them. Text is bound from
// buffers kept from row to row, as a copy per value shows on a million rows. The table file
// has a larger page cache while the writer lives.
class BulkWriter {
public:
    // onConflict: what follows the insert, as "ON CONFLICT (Cuit) DO NOTHING"; empty for none.
    BulkWriter(Database& db, const QString& table, const QStringList& fields, const QString& onConflict = {});

    // The value of the column-th field for the next row; a ConversionError naming the field
    // for what it cannot hold.
    void setText(int column, QStringView text);
    void setValue(int column, const QVariant& value);
    // Adds the row; false when the conflict clause skipped it. The values are cleared, whether
    // the row went in or not.
    bool insert();
    // Once the rows are in: the page cache given back and the change noted, so the views read
    // the table again at the commit with the memory already free.
    void finish();

private:
    Database& m_db;
    QString m_table;
    BulkCache m_cache;
    QList<const FieldDef*> m_fields;
    QList<QByteArray> m_utf8;
    Statement m_insert;
};

}  // namespace store
