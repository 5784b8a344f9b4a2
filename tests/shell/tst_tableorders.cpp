// The orders on the tables: the imports, the repair, the backup and its restore, and another
// program on the same folder at the same time.

#include "OrdersFixture.h"
#include "backup/Backup.h"
#include "data/FolderStart.h"
#include "data/files/FolderLock.h"

#include <QCoreApplication>
#include <QElapsedTimer>

using namespace fixture;

class TestTableOrders : public QObject, private OrderRun {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        writeImportFiles();
    }

    void cleanup() { m_dir.reset(); }

    void importarClientes()
    {
        prepare(QStringLiteral("con datos"));
        const Run r =
            run(QStringList{"importar-clientes", "%T/clientes.txt"} + clientColumns() + QStringList{"--datos", "%D"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains(QStringLiteral("Se han cargado con exito 2 Registros")), qPrintable(r.err));
        QCOMPARE(count(tables(), QStringLiteral("cliente"), QStringLiteral("1")), 4);
        QCOMPARE(count(tables(), QStringLiteral("cliente"), QStringLiteral("Localidad = 'CONCORDIA'")), 1);
        // No terminal here: no progress lines in the output.
        QVERIFY(!r.err.contains(QStringLiteral("Cargando Registro")));
    }

    void importarDetalles()
    {
        prepare(QStringLiteral("con datos"));
        const Run r =
            run(QStringList{"importar-detalles", "%T/detalles.txt"} + detailColumns() + QStringList{"--datos", "%D"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains(QStringLiteral("Se han cargado con exito 2 Registros")), qPrintable(r.err));
        QCOMPARE(count(tables(), QStringLiteral("detalle"), QStringLiteral("Importado = 'S' AND Anio IS NULL")), 2);
        QCOMPARE(count(tables(), QStringLiteral("detalle"),
                       QStringLiteral("NDesde = 2001 AND NHasta = 2050 AND CanTalonarios = 50")),
                 1);
    }

    // The failing line's number and code, then what the code means.
    void importarDetallesNamesTheLine()
    {
        prepare(QStringLiteral("con datos"));
        const Run r = run(QStringList{"importar-detalles", "%T/detalles-malos.txt"} + detailColumns() +
                          QStringList{"--datos", "%D"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Fallo en registro Nº 2 con error: 6")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Error 6: el contribuyente no existe")), qPrintable(r.err));
    }

    void reparar()
    {
        prepare(QStringLiteral("con datos"));
        const QString before = snapshot(tables());
        const Run r = run({"reparar", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed().split(QLatin1Char('\n')).size(), 6);
        QVERIFY2(r.err.contains(QStringLiteral("La Reparación se ha completado con exito.")), qPrintable(r.err));
        QCOMPARE(QDir(QDir(tables()).filePath(QStringLiteral("back"))).entryList({"*_BK.db"}, QDir::Files).size(), 6);
        QCOMPARE(snapshot(tables()), before);
    }

    void repararADamagedTable_data()
    {
        QTest::addColumn<int>("automaticCopies");  // made while the tables were sound
        QTest::newRow("no automatic copy") << 0;
        QTest::newRow("automatic copies") << 2;
    }

    // A table of which nothing can be read stays as it was, and the status says so; the way back
    // is a restore, of the latest automatic copy when there is one that a restore takes (not the
    // one the repair itself made of the damaged tables).
    void repararADamagedTable()
    {
        QFETCH(int, automaticCopies);
        prepare(QStringLiteral("con datos"));
        QStringList made;
        for (int i = 0; i < automaticCopies; ++i)
            made << backup::makeSafetyCopy(tables(), i ? backup::Work::Import : backup::Work::Filing);
        writeFile(QDir(tables()).filePath(QStringLiteral("Maquina.DB")), QByteArray(8192, 'x'));
        const Run r = run({"reparar", "--datos", "%D"});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QStringLiteral("No se ha podido Reparar")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Herramientas / Restaurar Copia…")), qPrintable(r.err));
        QCOMPARE(r.err.contains(QStringLiteral("copia automática más reciente")), !made.isEmpty());
        if (!made.isEmpty())
            QVERIFY2(r.err.contains(QDir::toNativeSeparators(made.last())), qPrintable(r.err));
        QCOMPARE(backup::backupsBeside(tables()).size(), automaticCopies + 1);
        QVERIFY2(r.out.contains(QStringLiteral("Maquina")), qPrintable(r.out));
        QCOMPARE(readAll(QDir(tables()).filePath(QStringLiteral("Maquina.DB"))), QByteArray(8192, 'x'));
    }

    // A backup into back/ by default or into the zip named; the restore brings its rows back,
    // says what it held and answers where the tables it replaced were kept.
    void respaldarYRestaurar()
    {
        prepare(QStringLiteral("presentado"));
        const QString before = snapshot(tables());
        const Run made = run({"respaldar", "--datos", "%D"});
        QCOMPARE(made.status, 0);
        const QString zipFile = made.out.trimmed();
        QCOMPARE(QFileInfo(zipFile).absolutePath(), QDir(tables()).absoluteFilePath(QStringLiteral("back")));
        QVERIFY2(QFileInfo(zipFile).fileName().startsWith(QStringLiteral("tarvenio-") + Agent + QLatin1Char('-')),
                 qPrintable(zipFile));
        const Run named = run({"respaldar", "%T/copias/mia.zip", "--datos", "%D"});
        QCOMPARE(named.status, 0);
        QCOMPARE(named.out.trimmed(), file(QStringLiteral("copias/mia.zip")));

        {
            Tables t(tables());
            t.m.Session1_1->database().exec(
                QStringLiteral("DELETE FROM %1")
                    .arg(t.m.Session1_1->database().qualifiedTable(QStringLiteral("detalle"))));
        }
        QVERIFY(snapshot(tables()) != before);
        const Run restored = run({"restaurar", zipFile, "--datos", "%D"});
        QVERIFY2(restored.status == 0, qPrintable(restored.err));
        QVERIFY2(restored.err.contains(QStringLiteral("Último anticipo presentado: 03/2024")),
                 qPrintable(restored.err));
        QVERIFY2(restored.err.contains(QStringLiteral("¿Restaurar la copia de seguridad? [Sí]")),
                 qPrintable(restored.err));
        QCOMPARE(snapshot(tables()), before);
        const QString previous = restored.out.trimmed();
        QVERIFY(previous != zipFile);
        QCOMPARE(QFileInfo(previous).absolutePath(), QDir(tables()).absoluteFilePath(QStringLiteral("back/auto")));
    }

    void lockedFolder_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::newRow("presentar") << QStringList{"presentar", "--anio", "2024", "--anticipo", "3", "--datos", "%D"};
        QTest::newRow("restaurar") << QStringList{"restaurar", "%T/copia.zip", "--datos", "%D"};
        QTest::newRow("reparar") << QStringList{"reparar", "--datos", "%D"};
    }

    // Another program on the folder: the order waits a few seconds, then says who holds it and
    // changes nothing.
    void lockedFolder()
    {
        QFETCH(QStringList, order);
        prepare(QStringLiteral("con datos"));
        QCOMPARE(run({"respaldar", "%T/copia.zip", "--datos", "%D"}).status, 0);
        const QString before = snapshot(tables());
        const store::FolderLock windows(tables(), QStringLiteral("las ventanas"));
        QElapsedTimer clock;
        clock.start();
        const Run r = run(order);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("en uso por otro programa Tarvenio: las ventanas (proceso %1)")
                                    .arg(QCoreApplication::applicationPid())),
                 qPrintable(r.err));
        QVERIFY(clock.elapsed() >= 2500);
        QCOMPARE(snapshot(tables()), before);
    }

    void restoreAgainstASecondOpen_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("windows");  // the second is a window start; otherwise an order
        for (int delay : {0, 300, 700, 1200, 2000})
            for (bool windows : {false, true})
                QTest::addRow("%s after %d ms", windows ? "windows" : "order", delay) << delay << windows;
    }

    // A restore and another start on the same folder at staggered moments: the tables end wholly
    // the backup's or wholly the former ones, a restore that says it restored did, and a second
    // program that cannot have the folder is told it is in use.
    void restoreAgainstASecondOpen()
    {
        QFETCH(int, delayMs);
        QFETCH(bool, windows);
        prepare(QStringLiteral("presentado"));
        const QString backupState = snapshot(tables());
        QCOMPARE(run({"respaldar", "%T/copia.zip", "--datos", "%D"}).status, 0);
        {
            Tables t(tables());
            t.m.Session1_1->database().exec(
                QStringLiteral("DELETE FROM %1")
                    .arg(t.m.Session1_1->database().qualifiedTable(QStringLiteral("detalle"))));
        }
        const QString formerState = snapshot(tables());
        QVERIFY(formerState != backupState);

        QProcess restore;
        start(restore,
              {QStringLiteral("restaurar"), file(QStringLiteral("copia.zip")), QStringLiteral("--datos"), tables()});
        QVERIFY(restore.waitForStarted());
        QTest::qWait(delayMs);
        if (windows) {
            ScriptedPrompt prompt;
            store::AliasConfig config(file(QStringLiteral("ventanas.conf")));
            TDModulo m(&config, prompt, tables());
            if (folderstart::prepare(m, prompt, true))
                m.AbrirTablas();
            else
                QVERIFY2(prompt.texts()
                             .join(QLatin1Char('\n'))
                             .contains(QStringLiteral("en uso por otro programa Tarvenio: la orden restaurar")),
                         qPrintable(prompt.texts().join(QLatin1Char('\n'))));
        } else {
            const Run r = run({"pdf", "--anio", "2024", "--anticipo", "3", "--datos", "%D"});
            QVERIFY2(r.status == 0 || r.err.contains(QStringLiteral("en uso por otro programa")), qPrintable(r.err));
        }
        // It may have ended, and been seen to, while the second one ran.
        QVERIFY(restore.state() == QProcess::NotRunning || restore.waitForFinished(120000));
        const QString told = QString::fromUtf8(restore.readAllStandardError());
        const QString after = snapshot(tables());
        QVERIFY2(after == backupState || after == formerState, qPrintable(told));
        if (restore.exitCode() == 0 && told.contains(QStringLiteral("Se restauró la copia")))
            QCOMPARE(after, backupState);
    }
};

QTEST_GUILESS_MAIN(TestTableOrders)
#include "tst_tableorders.moc"
