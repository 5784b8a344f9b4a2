#include "TableFiles.h"

#include "data/Schema.h"

#include <sqlite3.h>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace tablefiles {

QByteArray bytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), data.size());
}

Rows query(const QString& file, const QString& sql)
{
    Rows rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        qWarning("cannot open %s", qPrintable(file));
        return rows;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList values;
            for (int i = 1; i < sqlite3_column_count(stmt); ++i) {
                switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_NULL:
                    values << QStringLiteral("<null>");
                    break;
                case SQLITE_BLOB:
                    values << QStringLiteral("x'%1'").arg(
                        QString::fromLatin1(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                                       sqlite3_column_bytes(stmt, i))
                                                .toHex()));
                    break;
                default:
                    values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
                }
            }
            rows.insert(sqlite3_column_int64(stmt, 0), values);
        }
    } else {
        qWarning("%s: %s", qPrintable(sql), sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

static QString fieldList(const QString& table)
{
    QStringList names;
    for (const store::FieldDef& f : schema::table(table).fields)
        names << QLatin1Char('"') + f.name + QLatin1Char('"');
    return names.join(QStringLiteral(", "));
}

Rows tableRows(const QString& file, const QString& table)
{
    return query(file, QStringLiteral("SELECT rowid, %1 FROM \"%2\" ORDER BY rowid").arg(fieldList(table), table));
}

Rows setAside(const QString& file, const QString& table)
{
    return query(file,
                 QStringLiteral("SELECT Rep_Fila, %1 FROM \"%2\" ORDER BY Rep_Fila").arg(fieldList(table), table));
}

int pageSize(const QString& file)
{
    const QByteArray head = bytes(file).left(100);
    const int size = (uchar(head.at(16)) << 8) | uchar(head.at(17));
    return size == 1 ? 65536 : size;
}

static quint64 varint(const QByteArray& data, int* at)
{
    quint64 value = 0;
    for (int i = 0; i < 9; ++i) {
        const uchar b = uchar(data.at((*at)++));
        if (i == 8)
            return (value << 8) | b;
        value = (value << 7) | (b & 0x7f);
        if (!(b & 0x80))
            break;
    }
    return value;
}

QList<Leaf> leaves(const QString& file, const QString& table)
{
    QList<Leaf> result;
    const QByteArray data = bytes(file);
    const int size = pageSize(file);
    // Numbered in the order of their paths through the tree, which is key order.
    const Rows ordered = query(file, QStringLiteral("SELECT row_number() OVER (ORDER BY path), pageno FROM dbstat "
                                                    "WHERE name = '%1' AND pagetype = 'leaf'")
                                         .arg(table));
    for (const QStringList& row : ordered) {
        const int page = row.value(0).toInt();
        const QByteArray bytesOfPage = data.mid((page - 1) * size, size);
        const int header = page == 1 ? 100 : 0;
        Leaf leaf{page, {}};
        const int cells = (uchar(bytesOfPage.at(header + 3)) << 8) | uchar(bytesOfPage.at(header + 4));
        for (int i = 0; i < cells; ++i) {
            int at = (uchar(bytesOfPage.at(header + 8 + 2 * i)) << 8) | uchar(bytesOfPage.at(header + 9 + 2 * i));
            varint(bytesOfPage, &at);  // payload size
            leaf.rowids << qint64(varint(bytesOfPage, &at));
        }
        result << leaf;
    }
    return result;
}

QList<int> overflowPages(const QString& file, const QString& table)
{
    QList<int> pages;
    for (const QStringList& row :
         query(file, QStringLiteral("SELECT row_number() OVER (ORDER BY path), pageno FROM dbstat "
                                    "WHERE name = '%1' AND pagetype = 'overflow'")
                         .arg(table)))
        pages << row.value(0).toInt();
    return pages;
}

void garblePage(const QString& file, int page, quint32 seed)
{
    QByteArray data = bytes(file);
    const int size = pageSize(file);
    QRandomGenerator random(seed);
    for (int i = 0; i < size; ++i)
        data[(page - 1) * size + i] = char(random.bounded(256));
    write(file, data);
}

void exec(const QString& file, const QString& sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString text = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(text));
}

}  // namespace tablefiles
