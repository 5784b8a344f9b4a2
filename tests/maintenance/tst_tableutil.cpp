#include "TableUtilFixture.h"
#include "data/store/StoreError.h"

#include <sqlite3.h>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <functional>

using namespace fixture;
using tablefiles::Rows;

namespace {

enum Damage {
    CutInHeader,
    CutInFirstPage,
    CutMidFile,
    GarbageOverRoot,
    GarbageOverRootAfterDeletes,
    GarbageOverLeaf,
    HeaderOverwritten,
    ZerosAfterFirstPage,
    ForeignLayout,
    OtherTable,
    EmptyFile,
    MissingFile,
};

// The rows SQLite itself can still read from a file, by their numbers.
QSet<qint64> readableBySqlite(const QString& file, const QString& table, const QList<qint64>& rowids)
{
    QSet<qint64> readable;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db,
                               QStringLiteral("SELECT * FROM \"%1\" WHERE rowid = ?").arg(table).toUtf8().constData(),
                               -1, &stmt, nullptr) == SQLITE_OK)
            for (qint64 id : rowids) {
                sqlite3_reset(stmt);
                sqlite3_bind_int64(stmt, 1, id);
                if (sqlite3_step(stmt) == SQLITE_ROW)
                    readable.insert(id);
            }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return readable;
}

}  // namespace

// The table utility on its own, where the dialog cannot reach: every table file damaged the ways
// files get damaged, at chosen places and at random; the rows kept are exactly those left whole.
class TestTableUtil : public QObject, private TableFolder {
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void damagedTable_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("damage");
        QTest::addColumn<int>("rows");
        const QList<std::pair<Damage, const char*>> kinds{
            {CutInHeader, "cut inside the header"},
            {CutInFirstPage, "cut inside the first page"},
            {CutMidFile, "cut in the middle"},
            {GarbageOverRoot, "garbage over the root page"},
            {GarbageOverRootAfterDeletes, "garbage over the root page after deletes"},
            {GarbageOverLeaf, "garbage over a leaf"},
            {HeaderOverwritten, "first 100 bytes overwritten"},
            {ZerosAfterFirstPage, "zeros after the first page"},
            {ForeignLayout, "its name with other fields"},
            {OtherTable, "another table"},
            {EmptyFile, "empty file"},
            {MissingFile, "missing file"}};
        for (const store::TableDef& def : schema::tables())
            for (const auto& [kind, name] : kinds)
                QTest::addRow("%s, %s", qPrintable(def.fileName), name) << def.tableName << int(kind) << 600;
        // Tables of one page: the agent's single row, a short period.
        QTest::newRow("imprenta.db of one row, first 100 bytes overwritten")
            << "imprenta" << int(HeaderOverwritten) << 1;
        QTest::newRow("detalle.DB of nine rows, garbage over its only page") << "detalle" << int(GarbageOverRoot) << 9;
    }

    // The rows kept are exactly those on pages the damage left whole; none is invented; every row
    // SQLite itself can still read is kept; a file of which nothing can be read stays as it was.
    void damagedTable()
    {
        QFETCH(QString, table);
        QFETCH(int, damage);
        QFETCH(int, rows);
        const store::TableDef& def = schema::table(table);
        makeTable(table, fillSql(def, rows));
        const QString file = path(def.fileName);
        // Deleted rows stay on the free pages of the file: they must not come back.
        if (damage == GarbageOverRootAfterDeletes)
            tablefiles::exec(file, QStringLiteral("DELETE FROM %1 WHERE rowid BETWEEN 100 AND 400").arg(table));
        const Rows all = tablefiles::tableRows(file, table);
        QCOMPARE(all.size(), damage == GarbageOverRootAfterDeletes ? rows - 301 : rows);
        const QList<tablefiles::Leaf> leaves = tablefiles::leaves(file, table);
        const int root = tablefiles::query(
                             file, QStringLiteral("SELECT 0, rootpage FROM sqlite_schema WHERE name = '%1'").arg(table))
                             .value(0)
                             .value(0)
                             .toInt();
        const int pageSize = tablefiles::pageSize(file);
        const int pages = int(QFileInfo(file).size() / pageSize);

        Rows expected = all;
        int result = store::TURowsLost;
        bool stays = false;  // the file is left as it was
        const auto lose = [&](const std::function<bool(const tablefiles::Leaf&)>& destroyed) {
            for (const tablefiles::Leaf& leaf : leaves)
                if (destroyed(leaf))
                    for (qint64 id : leaf.rowids)
                        expected.remove(id);
        };
        QByteArray data = tablefiles::bytes(file);
        switch (Damage(damage)) {
        case CutInHeader:
            data.truncate(50);
            stays = true;
            break;
        case CutInFirstPage:
            data.truncate(1000);
            stays = true;
            break;
        case CutMidFile:
            data.truncate(qsizetype(pages / 2) * pageSize + 123);
            lose([&](const tablefiles::Leaf& leaf) { return leaf.page > pages / 2; });
            break;
        case GarbageOverRoot:
        case GarbageOverRootAfterDeletes:
            tablefiles::garblePage(file, root, 3);
            data = tablefiles::bytes(file);
            lose([&](const tablefiles::Leaf& leaf) { return leaf.page == root; });  // a root that is the only leaf
            stays = expected.isEmpty();
            break;
        case GarbageOverLeaf: {
            const int page = leaves[leaves.size() / 2].page;
            tablefiles::garblePage(file, page, 5);
            data = tablefiles::bytes(file);
            lose([&](const tablefiles::Leaf& leaf) { return leaf.page == page; });
            break;
        }
        case HeaderOverwritten:
            for (int i = 0; i < 100; ++i)
                data[i] = char(0xA5 ^ i);
            result = 0;
            break;
        case ZerosAfterFirstPage:
            data = data.left(pageSize) + QByteArray(data.size() - pageSize, '\0');
            stays = true;
            break;
        case ForeignLayout:
        case OtherTable:
            QVERIFY(QFile::remove(file));
            tablefiles::exec(
                file, damage == ForeignLayout
                          ? QStringLiteral("CREATE TABLE %1 (a, b); INSERT INTO %1 VALUES (1, 2), (3, 4)").arg(table)
                          : QStringLiteral("CREATE TABLE otra (x); INSERT INTO otra VALUES ('uno')"));
            data = tablefiles::bytes(file);
            stays = true;
            break;
        case EmptyFile:
            data.clear();
            expected.clear();
            result = store::TUCreatedEmpty;
            break;
        case MissingFile:
            QVERIFY(QFile::remove(file));
            expected.clear();
            result = store::TUCreatedEmpty;
            break;
        }
        if (damage != MissingFile)
            tablefiles::write(file, data);
        if (stays)
            result = store::TUUnreadable;
        // In a file of another program the rows SQLite reads are not ours.
        const bool foreign = damage == ForeignLayout || damage == OtherTable;
        const QSet<qint64> sqliteReads = foreign ? QSet<qint64>() : readableBySqlite(file, table, all.keys());

        TBDEUtil util;
        const QString backup = path(QStringLiteral("back/%1_BK.db").arg(def.tableName));
        QCOMPARE(rebuild(util, path(def.tableName), backup), result);

        QCOMPARE(QFileInfo::exists(backup), damage != MissingFile);
        if (damage != MissingFile)
            QVERIFY(tablefiles::bytes(backup) == data);
        if (stays) {
            QVERIFY(tablefiles::bytes(file) == data);
            QVERIFY2(sqliteReads.isEmpty(), "rows SQLite can read were left in a file the repair gave up on");
            QVERIFY(!QFileInfo::exists(path(QStringLiteral("PROBLEM.DB"))));
        } else {
            const Rows live = tablefiles::tableRows(file, table);
            QCOMPARE(live, expected);
            for (qint64 id : sqliteReads)
                QVERIFY2(live.contains(id), qPrintable(QString::number(id)));
            store::Database::checkTableFile(file, def);
            // What was set aside belongs to rows the damage destroyed (0: a row whose number was lost).
            if (QFileInfo::exists(path(QStringLiteral("PROBLEM.DB"))))
                for (qint64 id : tablefiles::setAside(path(QStringLiteral("PROBLEM.DB")), table).keys())
                    QVERIFY2(id == 0 || (all.contains(id) && !expected.contains(id)), qPrintable(QString::number(id)));
        }
        store::RebuildReport report;
        QCOMPARE(store::TUGetRebuildReport(util.session(), &report), 0);
        QCOMPARE(report.replaced, !stays);
        QCOMPARE(report.kept, stays ? 0 : expected.size());
        QVERIFY2(report.text.startsWith(def.fileName), qPrintable(report.text));
    }

    // Many files damaged at random, a few whole pages each (garbage or zeros, perhaps the header,
    // perhaps cut short): every row on a page left whole is kept, and nothing else.
    void randomPageDamage()
    {
        const store::TableDef& def = schema::table(QStringLiteral("cliente"));
        makeTable(def.tableName, fillSql(def, 400));
        const QString file = path(def.fileName);
        const Rows all = tablefiles::tableRows(file, def.tableName);
        const QList<tablefiles::Leaf> leaves = tablefiles::leaves(file, def.tableName);
        const QByteArray healthy = tablefiles::bytes(file);
        const int pageSize = tablefiles::pageSize(file);
        const int pages = int(healthy.size() / pageSize);
        QRandomGenerator random(20261210);
        for (int round = 0; round < 150; ++round) {
            QByteArray data = healthy;
            QSet<int> destroyed;
            for (int n = 1 + random.bounded(3); n > 0; --n) {
                const int page = 2 + random.bounded(pages - 1);
                destroyed << page;
                const bool zeros = random.bounded(2) == 0;
                for (int i = 0; i < pageSize; ++i)
                    data[(page - 1) * pageSize + i] = zeros ? '\0' : char(random.bounded(256));
            }
            if (random.bounded(3) == 0)
                for (int i = 0; i < 100; ++i)
                    data[i] = char(random.bounded(256));
            int cut = 0;  // a page cut short: the rows whose bytes all remain may be kept
            if (random.bounded(3) == 0) {
                const int keep = pages / 2 + random.bounded(pages / 2);
                data.truncate(qsizetype(keep) * pageSize + random.bounded(pageSize));
                cut = keep + 1;
                for (int page = keep + 1; page <= pages; ++page)
                    destroyed << page;
            }
            Rows expected = all, allowed = all;
            for (const tablefiles::Leaf& leaf : leaves)
                if (destroyed.contains(leaf.page))
                    for (qint64 id : leaf.rowids) {
                        expected.remove(id);
                        if (leaf.page != cut)
                            allowed.remove(id);
                    }
            tablefiles::write(file, data);
            QFile::remove(path(QStringLiteral("PROBLEM.DB")));

            TBDEUtil util;
            const int result =
                rebuild(util, path(QStringLiteral("Cliente")), path(QStringLiteral("back/Cliente_BK.db")));
            if (result == store::TUUnreadable) {
                QVERIFY(tablefiles::bytes(file) == data);
                QVERIFY2(expected.isEmpty(), qPrintable(QStringLiteral("round %1").arg(round)));
            } else {
                QVERIFY2(result == 0 || result == store::TURowsLost, qPrintable(QString::number(result)));
                const Rows live = tablefiles::tableRows(file, def.tableName);
                for (auto it = expected.cbegin(); it != expected.cend(); ++it)
                    QVERIFY2(live.value(it.key()) == it.value(),
                             qPrintable(QStringLiteral("round %1: row %2 lost").arg(round).arg(it.key())));
                for (auto it = live.cbegin(); it != live.cend(); ++it)
                    QVERIFY2(allowed.value(it.key()) == it.value(),
                             qPrintable(QStringLiteral("round %1: row %2 invented").arg(round).arg(it.key())));
            }
        }
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestTableUtil test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_tableutil.moc"
