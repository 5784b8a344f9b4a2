#include "ScriptedPrompt.h"
#include "TableUtilFixture.h"
#include "data/store/StoreError.h"
#include "maintenance/TableRepair.h"

#include <sqlite3.h>
#include <QDir>
#include <QTest>

using namespace fixture;
using tablefiles::Rows;

// The rebuild of a table in the cases the dialog cannot reach: a file that once looped, another
// program's file, a row only partly readable, a journal left by a crash, a second repair, and a
// rebuild that must leave the old table as it was.
class TestTableRebuild : public QObject, private TableFolder {
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

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
    TestTableRebuild test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_tablerebuild.moc"
