#include "ScriptedPrompt.h"
#include "TableFiles.h"
#include "data/Schema.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"
#include "maintenance/TBDEUtil.h"
#include "maintenance/TableRepair.h"

#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

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

// Rows for any of the program's tables: wide enough to fill a dozen pages, every key different.
QString fillSql(const store::TableDef& def, int rows)
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

// The run of one table as the repair dialog does it; answers the rebuild's result.
int rebuild(TBDEUtil& util, const QString& tablePath, const QString& backup)
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

}  // namespace

// The table utility on its own, where the dialog cannot reach: every table file damaged the ways
// files get damaged, a row only partly readable, a journal left by a crash, and a rebuild that
// must leave the old table as it was.
class TestTableUtil : public QObject {
    Q_OBJECT

private:
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

    // A file found by fuzzing whose damaged tree answers the same row number for every range
    // asked: the repair must end, and keep only rows that are really there.
    void fileThatOnceLoopedForEver()
    {
        QVERIFY(QDir().mkpath(path(QStringLiteral("back"))));
        const QString file = path(QStringLiteral("cliente.DB"));
        QVERIFY(QFile::copy(QStringLiteral(TARVENIO_FIXTURES "/cliente-endless-rebuild.DB"), file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        const QByteArray before = tablefiles::bytes(file);
        TBDEUtil util;
        const int result = rebuild(util, path(QStringLiteral("Cliente")), path(QStringLiteral("back/Cliente_BK.db")));
        QVERIFY2(result != 0 && result != store::TUTimedOut, qPrintable(store::TUErrorText(util.session())));
        QVERIFY(tablefiles::bytes(path(QStringLiteral("back/Cliente_BK.db"))) == before);
        if (result == store::TUUnreadable) {
            QVERIFY(tablefiles::bytes(file) == before);
            return;
        }
        const Rows live = tablefiles::tableRows(file, QStringLiteral("cliente"));
        QVERIFY(live.size() < 100);
        for (auto it = live.cbegin(); it != live.cend(); ++it) {
            QVERIFY(it.key() >= 1);
            QCOMPARE(it.value().value(0), QString::number(it.key()));
        }
        QCOMPARE(tablefiles::query(file, QStringLiteral("SELECT 0, count(*) FROM cliente WHERE ") +
                                             QStringLiteral("instr(Cuit, char(0)) OR instr(Razon_Social, char(0)) OR "
                                                            "instr(Domicilio, char(0)) OR instr(Localidad, char(0))"))
                     .value(0)
                     .value(0),
                 QStringLiteral("0"));
    }

    // A file of another program with a journal beside it: neither is written, and a table file
    // that stays read-only stays so after its rebuild.
    void foreignFileWithJournalUntouched()
    {
        const QString file = path(QStringLiteral("detalle.DB"));
        tablefiles::exec(file, QStringLiteral("CREATE TABLE detalle (a, b); INSERT INTO detalle VALUES (1, 2)"));
        tablefiles::write(file + QStringLiteral("-journal"), tablefiles::bytes(file));  // any bytes will do
        const QByteArray data = tablefiles::bytes(file), journal = tablefiles::bytes(file + QStringLiteral("-journal"));
        TBDEUtil util;
        int level = -1;
        QCOMPARE(store::TUVerifyTable(util.session(), path(QStringLiteral("Detalle")), store::TableDriver,
                                      QStringLiteral("VERIFY.DB"), QString(), 0, &level),
                 0);
        QCOMPARE(rebuild(util, path(QStringLiteral("Detalle")), path(QStringLiteral("back/Detalle_BK.db"))),
                 int(store::TUUnreadable));
        try {
            store::Database::checkTableFile(file, schema::table(QStringLiteral("detalle")));
            QFAIL("a foreign file passed the check");
        } catch (const store::StoreError& e) {
            QVERIFY2(e.text().contains(QLatin1String("detalle.DB")), qPrintable(e.text()));
        }
        QVERIFY(tablefiles::bytes(file) == data);
        QVERIFY(tablefiles::bytes(file + QStringLiteral("-journal")) == journal);
    }

    // The run of the repair window, without it: every table verified and rebuilt, each with its line.
    void repairOfEveryTable()
    {
        for (const store::TableDef& def : schema::tables())
            makeTable(def.tableName, fillSql(def, 20));
        tablefiles::garblePage(
            path(QStringLiteral("detalle.DB")),
            tablefiles::leaves(path(QStringLiteral("detalle.DB")), QStringLiteral("detalle")).first().page, 4);
        ScriptedPrompt prompt;
        TBDEUtil util;
        QStringList lines;
        int repaired = 0;
        for (const QString& base : tablerepair::tableBases()) {
            const tablerepair::TableOutcome outcome = tablerepair::repairTable(util, prompt, m_dir->path(), base);
            repaired += outcome.repaired ? 1 : 0;
            lines << outcome.report;
        }
        QCOMPARE(repaired, 5);  // all but the damaged detalle.DB
        QCOMPARE(lines.size(), 6);
        QVERIFY2(lines[2].startsWith(QLatin1String("detalle.DB: ")), qPrintable(lines[2]));
        QVERIFY(QFileInfo::exists(path(QStringLiteral("back/Maquina_BK.db"))));
        QCOMPARE(prompt.texts(), QStringList());
    }

    void rebuiltFileKeepsPermissions()
    {
        makeTable(QStringLiteral("formularios"), QStringLiteral("INSERT INTO formularios VALUES ('Factura A', 3)"));
        const QString file = path(QStringLiteral("Formularios.db"));
        const QFileDevice::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(file, readOnly));
        TBDEUtil util;
        QCOMPARE(rebuild(util, path(QStringLiteral("Formularios")), path(QStringLiteral("back/Formularios_BK.db"))), 0);
        QCOMPARE(QFileInfo(file).permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                  QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 readOnly);
        QCOMPARE(tablefiles::tableRows(file, QStringLiteral("formularios")).size(), 1);
    }

    void rowWithUnreadableTail()
    {
        // Client 7's long text runs over into pages of its own; garbage over the first of them
        // leaves the start of the row readable and its end not.
        makeTable(QStringLiteral("cliente"),
                  QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20) "
                                 "INSERT INTO cliente (Id_cliente, Cuit, Razon_Social, Provincia) "
                                 "SELECT i, '2000000' || (1000 + i), 'Cliente ' || i, "
                                 "CASE i WHEN 7 THEN printf('%.20000c', 'P') ELSE 'Neuquén' END FROM n"));
        const QString file = path(QStringLiteral("cliente.DB"));
        Rows expected = tablefiles::tableRows(file, QStringLiteral("cliente"));
        const QList<int> overflow = tablefiles::overflowPages(file, QStringLiteral("cliente"));
        QVERIFY(overflow.size() > 1);
        tablefiles::garblePage(file, overflow.first(), 11);

        TBDEUtil util;
        QCOMPARE(rebuild(util, path(QStringLiteral("Cliente")), path(QStringLiteral("back/Cliente_BK.db"))),
                 int(store::TURowsLost));

        QStringList seven = expected.take(7);
        seven[7] = QStringLiteral("<null>");  // Provincia
        QCOMPARE(tablefiles::tableRows(file, QStringLiteral("cliente")), expected);
        const Rows problem{{7, seven}};
        QCOMPARE(tablefiles::setAside(path(QStringLiteral("PROBLEM.DB")), QStringLiteral("cliente")), problem);
        const Rows why = tablefiles::query(path(QStringLiteral("PROBLEM.DB")),
                                           QStringLiteral("SELECT Rep_Fila, Rep_Motivo FROM cliente"));
        QVERIFY2(why[7][0].contains(QLatin1String("Provincia")), qPrintable(why[7][0]));
    }

    void damagedPages_data()
    {
        // Wide rows, a score to a page: fewer than the numbers a stride may step over.
        QTest::addColumn<QList<int>>("damaged");  // leaves, in key order; -1 is the last
        QTest::newRow("every other page from the fifth, and the last") << QList<int>{4, 6, 8, 10, 12, 14, 16, -1};
        QTest::newRow("runs of damaged pages around single good ones")
            << QList<int>{3, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19, 20, -1};
        QTest::newRow("all but one page") << QList<int>{};
    }

    void damagedPages()
    {
        QFETCH(QList<int>, damaged);
        makeTable(
            QStringLiteral("cliente"),
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 900) "
                           "INSERT INTO cliente (Cuit, Razon_Social, Inscripcion, Domicilio, Localidad, Provincia) "
                           "SELECT '2000000' || (1000 + i), printf('%-54s %05d', 'Razón social', i), "
                           "'Responsable', printf('%-44s %05d', 'Domicilio', i), printf('%-30s', 'Localidad'), "
                           "printf('%-30s', 'Provincia') FROM n"));
        const QString file = path(QStringLiteral("cliente.DB"));
        Rows expected = tablefiles::tableRows(file, QStringLiteral("cliente"));
        const QList<tablefiles::Leaf> leaves = tablefiles::leaves(file, QStringLiteral("cliente"));
        QVERIFY(leaves.size() > 25);
        if (damaged.isEmpty())
            for (int i = 0; i < leaves.size(); ++i)
                if (i != leaves.size() / 2)
                    damaged << i;
        for (int index : damaged) {
            const tablefiles::Leaf& leaf = leaves[index < 0 ? leaves.size() + index : index];
            tablefiles::garblePage(file, leaf.page, quint32(leaf.page));
            for (qint64 id : leaf.rowids)
                expected.remove(id);
        }

        TBDEUtil util;
        QCOMPARE(rebuild(util, path(QStringLiteral("Cliente")), path(QStringLiteral("back/Cliente_BK.db"))),
                 int(store::TURowsLost));
        QCOMPARE(tablefiles::tableRows(file, QStringLiteral("cliente")), expected);
    }

    // A second repair keeps the first backup, which alone holds the file as the first repair
    // found it.
    void secondRepairKeepsTheFirstBackup()
    {
        makeTable(QStringLiteral("cliente"),
                  QStringLiteral("INSERT INTO cliente (Cuit, Razon_Social) VALUES ('20000001001', 'Uno')"));
        const QString file = path(QStringLiteral("cliente.DB"));
        const QByteArray first = tablefiles::bytes(file);
        TBDEUtil util;
        const QString backup = path(QStringLiteral("back/Cliente_BK.db"));
        QCOMPARE(rebuild(util, path(QStringLiteral("Cliente")), backup), 0);
        const QByteArray second = tablefiles::bytes(file);
        QCOMPARE(rebuild(util, path(QStringLiteral("Cliente")), backup), 0);

        QCOMPARE(tablefiles::bytes(backup), second);
        const QStringList kept =
            QDir(path(QStringLiteral("back"))).entryList({QStringLiteral("Cliente_BK_*.db")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(tablefiles::bytes(path(QStringLiteral("back/") + kept.first())), first);
    }

    void journalLeftByACrash()
    {
        // The file and its journal as a crash in the middle of a commit leaves them: pages of the
        // unfinished change already in the file, the former pages in the journal.
        makeTable(QStringLiteral("cliente"),
                  QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                                 "INSERT INTO cliente (Cuit, Razon_Social) SELECT '2000000' || (1000 + i), "
                                 "'Cliente ' || i FROM n"));
        const QString live = path(QStringLiteral("cliente.DB"));
        const Rows committed = tablefiles::tableRows(live, QStringLiteral("cliente"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("crash"))));
        const QString file = path(QStringLiteral("crash/cliente.DB"));
        {
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(live.toUtf8().constData(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db,
                                  "PRAGMA cache_size=2; BEGIN; UPDATE cliente SET Razon_Social = "
                                  "printf('%.50c', 'X') || Id_cliente",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            QVERIFY(QFile::copy(live, file));
            QVERIFY(QFile::copy(live + QStringLiteral("-journal"), file + QStringLiteral("-journal")));
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        const QByteArray crashed = tablefiles::bytes(file),
                         journal = tablefiles::bytes(file + QStringLiteral("-journal"));
        QVERIFY2(crashed != tablefiles::bytes(live), "the unfinished change did not reach the file");

        TBDEUtil util;
        QCOMPARE(rebuild(util, path(QStringLiteral("crash/Cliente")), path(QStringLiteral("crash/back/Cliente_BK.db"))),
                 0);

        // The new table holds the committed rows and opens as a table of the program: no journal
        // of the old file is left to be played onto it.
        QVERIFY(!QFileInfo::exists(file + QStringLiteral("-journal")));
        store::Database::checkTableFile(file, schema::table(QStringLiteral("cliente")));
        QCOMPARE(tablefiles::tableRows(file, QStringLiteral("cliente")), committed);
        // The backup is the crashed file with its journal, as they were found.
        QVERIFY(tablefiles::bytes(path(QStringLiteral("crash/back/Cliente_BK.db"))) == crashed);
        QVERIFY(tablefiles::bytes(path(QStringLiteral("crash/back/Cliente_BK.db-journal"))) == journal);
    }

    void oldTableStays_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("result");
        QTest::newRow("table in use by another program") << true << int(store::FileError);
        QTest::newRow("stopped from the progress callback") << false << int(store::TUCancelled);
    }

    void oldTableStays()
    {
        QFETCH(bool, locked);
        QFETCH(int, result);
        makeTable(QStringLiteral("detalle"),
                  QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2500) "
                                 "INSERT INTO detalle (Cliente, Tipo_comprobante, NDesde) SELECT i % 7, 'Factura A', i "
                                 "FROM n"));
        const QString file = path(QStringLiteral("detalle.DB"));
        const QByteArray before = tablefiles::bytes(file);

        sqlite3* other = nullptr;
        if (locked) {
            QCOMPARE(sqlite3_open(file.toUtf8().constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        TBDEUtil util;
        int reports = 0;
        if (!locked)
            QCOMPARE(store::TURegisterCallback(util.session(), store::TUCallbackGeneralProgress,
                                               [&](int, const store::ProgressReport& report) {
                                                   ++reports;
                                                   return report.percentDone > 0 ? 1 : 0;
                                               }),
                     0);
        const int answer = rebuild(util, path(QStringLiteral("Detalle")), path(QStringLiteral("back/Detalle_BK.db")));
        sqlite3_close(other);

        QCOMPARE(answer, result);
        QVERIFY(!store::TUErrorText(util.session()).isEmpty());
        QVERIFY(tablefiles::bytes(file) == before);
        QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.nuevo*")}, QDir::Files), QStringList());
        if (!locked)
            QVERIFY(reports > 1);
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
