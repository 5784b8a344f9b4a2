// The restore of a backup: every row and declaration comes back, the state it replaced is kept
// as a safety copy, No changes nothing, and damaged tables are what a restore is for.

#include "BackupFixture.h"
#include "SampleCuit.h"
#include "backup/Backup.h"
#include "data/files/StagedFiles.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

using namespace fixture;

class TestRestore : public QObject, private BackupFolder {
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_dir.reset(); }

    // A backup, then changes to every kind of thing it holds, then the restore: every row of every
    // table and every file of ddjj is the backup's again, and the changed state is kept in back/.
    void restoreRoundTrips()
    {
        fillAndFile(tables());
        const TableRows before = rowsOf(tables());
        const Files ddjjBefore = filesIn(in(QStringLiteral("ddjj")));
        const Files archiveBefore = filesIn(in(QStringLiteral("ddjj/archivo")));
        QCOMPARE(ddjjBefore.size(), 2);
        QCOMPARE(archiveBefore.size(), 1);

        const QString zipFile = backup::makeBackup(tables(), copies());
        QVERIFY2(QRegularExpression(QStringLiteral("^tarvenio-%1-\\d{8}-\\d{6}\\.zip$").arg(cuitFor(99999999)))
                     .match(QFileInfo(zipFile).fileName())
                     .hasMatch(),
                 qPrintable(zipFile));
        QCOMPARE(QFileInfo(zipFile).absolutePath(), QFileInfo(copies()).absoluteFilePath());
        const backup::Contents contents = backup::readBackup(zipFile);
        QCOMPARE(contents.agent, QStringLiteral("IMPRENTA DEL SOL"));
        QCOMPARE(contents.cuit, cuitFor(99999999));
        QCOMPARE(contents.lastPeriod, QStringLiteral("03/2024"));
        QCOMPARE(contents.version, backup::programVersion());
        QStringList declarations = ddjjBefore.keys();
        for (const QString& kept : archiveBefore.keys())
            declarations << QStringLiteral("archivo/") + kept;
        declarations.sort();
        QCOMPARE(contents.declarations, declarations);
        for (const auto& [table, count] : contents.rows)
            QCOMPARE(count, qint64(before.value(table).size()));
        // A second backup in the same second takes a name of its own.
        QVERIFY(backup::makeBackup(tables(), copies()) != zipFile);

        {
            OpenStore s(tables());
            TDModulo& m = s.modulo;
            m.TImprentas->edit();
            m.TImprentas->setText(QStringLiteral("Nombre"), QStringLiteral("OTRO NOMBRE"));
            m.TImprentas->post();
            m.TCliente->insert();
            m.TCliente->setText(QStringLiteral("Cuit"), cuitFor(33333333));
            m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("NUEVO SA"));
            m.TCliente->post();
            s.db().exec(QStringLiteral("DELETE FROM %1").arg(s.db().qualifiedTable(QStringLiteral("maquina"))));
            s.db().exec(QStringLiteral("DELETE FROM %1").arg(s.db().qualifiedTable(QStringLiteral("anticipos"))));
        }
        const QString declaration = ddjjBefore.firstKey();
        tablefiles::write(in(QStringLiteral("ddjj/") + declaration), "cambiada\r\n");
        tablefiles::write(in(QStringLiteral("ddjj/posterior.txt")), "escrita después de la copia\n");
        QVERIFY(QFile::remove(in(QStringLiteral("ddjj/archivo/")) + archiveBefore.firstKey()));
        const TableRows changed = rowsOf(tables());
        QVERIFY(changed != before);

        ScriptedPrompt prompt;
        prompt.answer(PromptButton::Yes);
        const backup::RestoreOutcome outcome = backup::restoreBackup(tables(), zipFile, prompt);
        QVERIFY(outcome.restored);
        QCOMPARE(prompt.shown().size(), 1);
        QCOMPARE(prompt.last().caption, QStringLiteral("Imprentas"));
        QCOMPARE(prompt.last().buttons, PromptButtons::YesNo);
        for (const QString& expected : {QStringLiteral("IMPRENTA DEL SOL"), QStringLiteral("03/2024"),
                                        QStringLiteral("cliente.DB: 2"), QStringLiteral("otro agente")})
            QVERIFY2(prompt.last().text.contains(expected) != (expected == QLatin1String("otro agente")),
                     qPrintable(prompt.last().text));

        QCOMPARE(rowsOf(tables()), before);
        Files ddjjAfter = filesIn(in(QStringLiteral("ddjj")));
        // A file the backup does not hold is left where it is.
        QCOMPARE(ddjjAfter.take(QStringLiteral("posterior.txt")), QByteArray("escrita después de la copia\n"));
        QCOMPARE(ddjjAfter, ddjjBefore);
        QCOMPARE(filesIn(in(QStringLiteral("ddjj/archivo"))), archiveBefore);
        QVERIFY(!QFileInfo::exists(store::staged::folderFor(tables())));
        QVERIFY(!QFileInfo::exists(store::staged::markerFor(tables())));

        // The state the restore replaced is a safety copy of its own.
        QCOMPARE(QFileInfo(outcome.previous).absolutePath(),
                 QFileInfo(backup::safetyFolder(tables())).absoluteFilePath());
        QCOMPARE(backup::backupsBeside(tables()).first().reason, QStringLiteral("antes de una restauración"));
        const backup::Contents previous = backup::readBackup(outcome.previous);
        for (const auto& [table, count] : previous.rows)
            QCOMPARE(count, qint64(changed.value(table).size()));
        QCOMPARE(previous.agent, QStringLiteral("OTRO NOMBRE"));

        OpenStore reopened(tables());
        QCOMPARE(reopened.count(QStringLiteral("cliente")), qint64(2));
        QCOMPARE(reopened.periods(), qint64(1));
    }

    void answeredNoChangesNothing()
    {
        fillAndFile(tables());
        QVERIFY(QDir().mkpath(copies()));
        const QString zipFile = backup::makeBackup(tables(), copies() + QStringLiteral("/mia.zip"));
        QCOMPARE(QFileInfo(zipFile).fileName(), QStringLiteral("mia.zip"));
        {
            OpenStore s(tables());
            s.db().exec(QStringLiteral("DELETE FROM %1").arg(s.db().qualifiedTable(QStringLiteral("maquina"))));
        }
        const Files bytes = tableBytes(tables());
        ScriptedPrompt prompt;
        prompt.answer(PromptButton::No);
        QVERIFY(!backup::restoreBackup(tables(), zipFile, prompt).restored);
        QCOMPARE(tableBytes(tables()), bytes);
        QVERIFY(zipsIn(in(QStringLiteral("back"))).isEmpty());
        QVERIFY(!QFileInfo::exists(store::staged::folderFor(tables())));
    }

    // A damaged table is what a restore is for: no backup is made of it, but the restore is, and
    // the damaged file is kept as found in the copy made before it.
    void restoreOverDamagedTable()
    {
        fillAndFile(tables());
        const TableRows before = rowsOf(tables());
        const QString zipFile = backup::makeBackup(tables(), copies());
        const QString table = in(QStringLiteral("detalle.DB"));
        tablefiles::garblePage(table, tablefiles::leaves(table, QStringLiteral("detalle")).first().page, 7);
        const QByteArray damaged = tablefiles::bytes(table);
        try {
            backup::makeBackup(tables(), copies());
            QFAIL("a backup of a damaged table was made");
        } catch (const store::StoreError& e) {
            QCOMPARE(e.code(), int(store::TableDamaged));
        }

        ScriptedPrompt prompt;
        prompt.answer(PromptButton::Yes);
        const backup::RestoreOutcome outcome = backup::restoreBackup(tables(), zipFile, prompt);
        QVERIFY(outcome.restored);
        QCOMPARE(rowsOf(tables()), before);
        QCOMPARE(unpack(outcome.previous).entries.value(QStringLiteral("detalle.DB")), damaged);
        try {
            backup::readBackup(outcome.previous);
            QFAIL("the copy of damaged tables was taken for a backup");
        } catch (const store::StoreError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("tablas dañadas (detalle.DB)")), qPrintable(e.text()));
        }
    }
};

QTEST_GUILESS_MAIN(TestRestore)
#include "tst_restore.moc"
