#pragma once

// Table files of the program filled with rows, and the rebuild of one as the repair dialog runs
// it; shared by the tests of the table utility.

#include "TableFiles.h"
#include "data/Schema.h"
#include "data/store/Database.h"
#include "maintenance/TBDEUtil.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace fixture {

// Rows for any of the program's tables: wide enough to fill a dozen pages, every key different.
inline QString fillSql(const store::TableDef& def, int rows)
{
    QStringList names, values;
    for (const store::FieldDef& f : def.fields) {
        if (f.type == store::FieldType::AutoInc)
            continue;
        names << store::quoteIdentifier(f.name);
        switch (f.type) {
        case store::FieldType::Text:
            values << QStringLiteral("substr(i || '-%1 ñandú y algo más de texto para llenar el campo', 1, %2)")
                          .arg(f.name)
                          .arg(f.width);
            break;
        case store::FieldType::Date:
            values << QStringLiteral("date('2020-01-01', '+' || i || ' days')");
            break;
        case store::FieldType::Float:
            values << QStringLiteral("i * 1.25");
            break;
        default:
            values << QStringLiteral("i * 7");
        }
    }
    return QStringLiteral(
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
               "INSERT INTO %2 (%3) SELECT %4 FROM n")
        .arg(rows)
        .arg(store::quoteIdentifier(def.tableName), names.join(QStringLiteral(", ")),
             values.join(QStringLiteral(", ")));
}

// The run of one table as the repair dialog does it; answers the rebuild's result.
inline int rebuild(TBDEUtil& util, const QString& tablePath, const QString& backup)
{
    quint16 counts[7] = {};
    if (store::TUGetCRTblDescCount(util.session(), tablePath, &counts[0], &counts[1], &counts[2], &counts[3],
                                   &counts[4], &counts[5], &counts[6]) != 0)
        return -1;
    store::TableDescriptor descriptor;
    descriptor.fields.resize(counts[0]);
    descriptor.indexes.resize(counts[1]);
    if (store::TUFillCRTblDesc(util.session(), &descriptor, tablePath, QString()) != 0)
        return -1;
    return store::TURebuildTable(util.session(), tablePath, store::TableDriver, backup, QStringLiteral("KEYVIOL.DB"),
                                 QStringLiteral("PROBLEM.DB"), &descriptor);
}

// The test's folder, where the table files are made.
class TableFolder {
protected:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    // One of the program's table files with rows made by the given statement.
    void makeTable(const QString& table, const QString& inserts)
    {
        const QString file = path(schema::table(table).fileName);
        QFile::remove(file);
        store::Database::createTableFile(file, schema::table(table));
        tablefiles::exec(file, inserts);
    }
};

}  // namespace fixture
