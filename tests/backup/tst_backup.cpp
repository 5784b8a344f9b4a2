// Backups made by hand and safety copies before each work: where they go, what they hold and
// leave out, how many are kept, and a copy taken while another connection writes is one state
// of the tables.

#include "BackupFixture.h"
#include "SampleCuit.h"
#include "backup/Backup.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <thread>

using namespace fixture;

class TestBackup : public QObject, private BackupFolder {
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_dir.reset(); }

    // Backups made into ddjj are not taken into the next one, so each keeps the size of the
    // first; the kept declarations below ddjj/archivo are taken.
    void backupsInDdjjDoNotGrow()
    {
        fillAndFile(tables());
        QVERIFY(QDir().mkpath(in(QStringLiteral("ddjj/archivo"))));
        tablefiles::write(in(QStringLiteral("ddjj/archivo/20999999990202403.imp")), "presentada\r\n");
        QStringList zips;
        for (int i = 0; i < 3; ++i)
            zips << backup::makeBackup(tables(), in(QStringLiteral("ddjj")));
        QCOMPARE(QSet<QString>(zips.cbegin(), zips.cend()).size(), 3);
        for (const QString& zipFile : std::as_const(zips)) {
            // The manifest's time may compress a byte or two apart; a backup kept inside the next
            // one would add its whole size.
            const qint64 grown = QFileInfo(zipFile).size() - QFileInfo(zips.first()).size();
            QVERIFY2(qAbs(grown) < 64, qPrintable(QString::number(grown)));
            const backup::Contents contents = backup::readBackup(zipFile);
            QVERIFY2(contents.declarations.contains(QStringLiteral("archivo/20999999990202403.imp")),
                     qPrintable(contents.declarations.join(QLatin1Char(','))));
            for (const QString& name : contents.declarations)
                QVERIFY2(!name.endsWith(QLatin1String(".zip")), qPrintable(name));
        }
    }

    // Before each kind of work a copy is made into back/auto, named for it; the newest 20 are kept
    // and listed, with their reasons, beside the backups made by hand.
    void safetyCopies()
    {
        fillAndFile(tables());
        const QString byHand = backup::makeBackup(tables(), backup::defaultFolder(tables()));
        const QList<backup::Work> works{backup::Work::Filing, backup::Work::Reissue, backup::Work::Amendment,
                                        backup::Work::Import, backup::Work::Repair,  backup::Work::Restore};
        // A copy a crash cut short, under its temporary name, goes with the next copy.
        const QString unfinished = QDir(backup::safetyFolder(tables()))
                                       .filePath(QStringLiteral("20240101-000000-000-presentacion.zip.Ab12Cd"));
        tablefiles::write(unfinished, "PK cortado");
        QStringList made;
        for (int i = 0; i < backup::KeptSafetyCopies + 4; ++i)
            made << backup::makeSafetyCopy(tables(), works[i % works.size()]);
        const QStringList kept =
            QDir(backup::safetyFolder(tables())).entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name);
        QStringList newest;
        for (const QString& path : made.mid(4))
            newest << QFileInfo(path).fileName();
        QCOMPARE(kept, newest);
        QVERIFY(!QFileInfo::exists(unfinished));
        QVERIFY2(kept.last().endsWith(QLatin1String("-restauracion.zip")), qPrintable(kept.last()));
        QCOMPARE(backup::readBackup(made.last()).rows, backup::readBackup(byHand).rows);

        const QList<backup::Found> found = backup::backupsBeside(tables());
        QCOMPARE(found.size(), backup::KeptSafetyCopies + 1);
        QCOMPARE(found.first().file, made.last());
        QCOMPARE(found.first().reason, QStringLiteral("antes de una restauración"));
        QCOMPARE(found.value(1).reason, QStringLiteral("antes de una reparación"));
        const auto hand =
            std::find_if(found.cbegin(), found.cend(), [&](const backup::Found& f) { return f.file == byHand; });
        QVERIFY(hand != found.cend());
        QVERIFY(hand->reason.isEmpty());
    }

    // A safety copy of damaged tables is still made, keeping them as found: a repair is what
    // comes after it.
    void safetyCopyOfDamagedTables()
    {
        fillAndFile(tables());
        const QString table = in(QStringLiteral("detalle.DB"));
        tablefiles::garblePage(table, tablefiles::leaves(table, QStringLiteral("detalle")).first().page, 7);
        const QString copy = backup::makeSafetyCopy(tables(), backup::Work::Repair);
        QCOMPARE(unpack(copy).entries.value(QStringLiteral("detalle.DB")), tablefiles::bytes(table));
        // Listed as one a restore would refuse, beside the sound copy made before the filing.
        const QList<backup::Found> found = backup::backupsBeside(tables());
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[0].file, copy);
        QVERIFY(!found[0].restorable);
        QVERIFY(found[1].restorable);
    }

    // A taken name is never written over, and a destination whose folder is missing (a stick not
    // plugged in, a typing slip) is refused rather than made up on the local disk.
    void destinationRules_data()
    {
        QTest::addColumn<QString>("target");   // below the test's folder
        QTest::addColumn<QString>("written");  // the name written, empty when refused
        QTest::newRow("a zip name that is taken") << "copias/mia.zip"
                                                  << "copias/mia-2.zip";
        QTest::newRow("a zip name taken twice") << "copias/otra.zip"
                                                << "copias/otra-3.zip";
        QTest::newRow("a new folder in a folder that exists") << "copias/nueva"
                                                              << "copias/nueva/*";
        QTest::newRow("a zip in a new folder of one that exists") << "nueva/mia.zip"
                                                                  << "nueva/mia.zip";
        QTest::newRow("a zip below a missing folder") << "falta/mas/mia.zip"
                                                      << "";
        QTest::newRow("a folder below a missing one") << "falta/mas/abajo"
                                                      << "";
    }

    void destinationRules()
    {
        QFETCH(QString, target);
        QFETCH(QString, written);
        fillAndFile(tables());
        const QDir base(m_dir->path());
        QVERIFY(base.mkpath(QStringLiteral("copias")));
        const QMap<QString, QByteArray> taken{{QStringLiteral("copias/mia.zip"), "la copia de ayer"},
                                              {QStringLiteral("copias/otra.zip"), "una copia"},
                                              {QStringLiteral("copias/otra-2.zip"), "otra copia"}};
        for (auto it = taken.cbegin(); it != taken.cend(); ++it)
            tablefiles::write(base.filePath(it.key()), it.value());

        QString made;
        try {
            made = backup::makeBackup(tables(), base.filePath(target));
            QVERIFY2(!written.isEmpty(), qPrintable(made));
        } catch (const store::StoreError& e) {
            QVERIFY2(written.isEmpty(), qPrintable(e.text()));
            QCOMPARE(e.code(), int(store::FileError));
            QVERIFY2(e.text().contains(QStringLiteral("No existe la carpeta")), qPrintable(e.text()));
            QVERIFY(!QFileInfo::exists(base.filePath(QStringLiteral("falta"))));
        }
        if (!written.isEmpty()) {
            if (written.endsWith(QLatin1Char('*')))
                QCOMPARE(QFileInfo(made).absolutePath(),
                         QFileInfo(base.filePath(written.chopped(2))).absoluteFilePath());
            else
                QCOMPARE(made, base.filePath(written));
            QCOMPARE(backup::readBackup(made).cuit, cuitFor(99999999));
        }
        for (auto it = taken.cbegin(); it != taken.cend(); ++it)
            QCOMPARE(tablefiles::bytes(base.filePath(it.key())), it.value());
    }

    // Another connection commits a client and a form total together, over and over, while
    // backups are taken: each backup holds both rows of every pair or neither, passes SQLite's
    // integrity check, and restores to tables that open.
    void backupWhileWriting()
    {
        {
            OpenStore s(tables());
            fixture::fillOpenPeriod(s.modulo);
        }
        const qint64 clients = rowsOf(tables()).value(QStringLiteral("cliente.DB")).size();
        const qint64 forms = rowsOf(tables()).value(QStringLiteral("Formularios.db")).size();
        std::atomic<bool> stop = false;
        std::atomic<int> pairs = 0;
        std::thread writer([&] {
            store::Database db(tables(), schema::tables(), schema::references());
            for (int n = 0; !stop; ++n) {
                try {
                    store::Transaction t(db);
                    store::Statement client(db, QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social) VALUES (?, ?)")
                                                    .arg(db.qualifiedTable(QStringLiteral("cliente"))));
                    client.bind(1, cuitFor(20000000 + n));
                    client.bind(2, QStringLiteral("CLIENTE %1").arg(n));
                    client.step();
                    store::Statement form(db,
                                          QStringLiteral("INSERT INTO %1 (Tipo_comprobante, Cantidad) VALUES (?, ?)")
                                              .arg(db.qualifiedTable(QStringLiteral("formularios"))));
                    form.bind(1, QStringLiteral("F%1").arg(n));
                    form.bind(2, double(n));
                    form.step();
                    t.commit();
                    ++pairs;
                } catch (const store::StoreError&) {
                    // Held off by a backup's read: the pair is tried again under a new key.
                }
                // The program leaves gaps between its commits; a writer that never let go of its
                // locks would keep every reader out, SQLite's own included.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        const auto joined = qScopeGuard([&] {
            stop = true;
            writer.join();
        });
        const auto waitFor = [&](int count) { QTRY_VERIFY_WITH_TIMEOUT(pairs >= count, 20000); };
        QStringList zips;
        waitFor(5);
        for (int i = 0; i < 6; ++i) {
            try {
                zips << backup::makeBackup(tables(), copies());
            } catch (const store::StoreError& e) {
                QFAIL(qPrintable(e.text()));
            }
            waitFor(pairs + 3);
        }
        stop = true;

        QSet<qint64> seen;
        for (const QString& zipFile : std::as_const(zips)) {
            const backup::Contents contents = backup::readBackup(zipFile);
            QMap<QString, qint64> rows;
            for (const auto& [table, count] : contents.rows)
                rows.insert(table, count);
            QCOMPARE(rows.value(QStringLiteral("cliente.DB")) - clients,
                     rows.value(QStringLiteral("Formularios.db")) - forms);
            seen << rows.value(QStringLiteral("cliente.DB"));
        }
        QVERIFY2(seen.size() > 1, "every backup found the same rows: none was taken while writing");

        ScriptedPrompt prompt;
        prompt.answer(PromptButton::Yes);
        QVERIFY(backup::restoreBackup(tables(), zips.last(), prompt).restored);
        OpenStore s(tables());
        QCOMPARE(s.count(QStringLiteral("cliente")) - clients, s.count(QStringLiteral("formularios")) - forms);
        store::Statement check(s.db(), QStringLiteral("PRAGMA integrity_check"));
        QVERIFY(check.step());
        QCOMPARE(check.column(0).toString(), QStringLiteral("ok"));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
