#include "Schema.h"
#include "TableFiles.h"
#include "maintenance/TBDEUtil.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sqlite3.h>

using tablefiles::Rows;

// The table utility on its own, where the dialog cannot reach: a row only partly readable, a
// journal left by a crash, and a rebuild that must leave the old table as it was.
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

    // The run of one table as the repair dialog does it; answers the rebuild's result.
    static int rebuild(TBDEUtil& util, const QString& tablePath, const QString& backup)
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

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

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
        const Rows why = tablefiles::query(path(QStringLiteral("PROBLEM.DB")), QStringLiteral("SELECT Rep_Fila, Rep_Motivo FROM cliente"));
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
        makeTable(QStringLiteral("cliente"),
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
        const QStringList kept = QDir(path(QStringLiteral("back")))
                                     .entryList({QStringLiteral("Cliente_BK_*.db")}, QDir::Files);
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
        const QByteArray crashed = tablefiles::bytes(file), journal = tablefiles::bytes(file + QStringLiteral("-journal"));
        QVERIFY2(crashed != tablefiles::bytes(live), "the unfinished change did not reach the file");

        TBDEUtil util;
        QCOMPARE(rebuild(util, path(QStringLiteral("crash/Cliente")), path(QStringLiteral("crash/back/Cliente_BK.db"))), 0);

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

QTEST_GUILESS_MAIN(TestTableUtil)
#include "tst_tableutil.moc"
