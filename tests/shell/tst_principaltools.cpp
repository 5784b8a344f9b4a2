#include "PrincipalFixture.h"
#include "backup/Backup.h"
#include "maintenance/windows/UReparar.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>

// The tools menu of the main window: the repair, the backup and its restore, and the verifier of a
// declaration, with the views the main window keeps open before and after each.
class TestPrincipalTools : public QObject, private MainWindowFixture {
    Q_OBJECT

private slots:
    void init() { openWindows(); }
    void cleanup() { closeWindows(); }

    void repararBase_data()
    {
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<bool>("repairs");
        QTest::newRow("Yes") << PromptButton::Yes << true;
        QTest::newRow("No") << PromptButton::No << false;
        QTest::newRow("box closed") << PromptButton::None << false;
    }

    void repararBase()
    {
        QFETCH(PromptButton, answer);
        QFETCH(bool, repairs);
        const QList<bool> allOpen(10, true), allClosed(10, false);
        QList<bool> whileShown;
        m_whileShown = [&](QDialog&) { whileShown = standingViewsOpen(); };
        m_prompt->answer(answer);

        trigger(QStringLiteral("RepararBase1"));

        QCOMPARE(m_prompt->shown().size(), 1);
        const PromptMessage box = m_prompt->last();
        QCOMPARE(box.text, QStringLiteral("Ejecutar en Caso de que la Base de Datos se encuentre Dañada. ¿Ejecutar?"));
        QCOMPARE(box.caption, QStringLiteral("Imprentas"));
        QCOMPARE(box.buttons, PromptButtons::YesNo);
        QCOMPARE(box.icon, PromptIcon::None);
        QCOMPARE(box.defaultButton, PromptButton::Yes);
        QCOMPARE(m_dialogs, repairs ? QStringList{"FReparacion"} : QStringList{});
        if (repairs)
            QCOMPARE(whileShown, allClosed);
        QCOMPARE(standingViewsOpen(), allOpen);
    }

    // The folder dialog offers back/ beside the tables, then the folder last used; the backup
    // goes there with the views left open.
    void copiaSeguridad()
    {
        saveAgentAndPeriod();
        const QString tables = DModulo->aliasFolder();
        const QString chosen = m_folder->file(QStringLiteral("copias"));
        m_prompt->answerFile(chosen);
        trigger(QStringLiteral("CopiaSeguridad1"));
        m_prompt->answerFile(QString());  // cancelled: nothing is written
        trigger(QStringLiteral("CopiaSeguridad1"));

        QCOMPARE(m_prompt->fileFolders(), (QStringList{QDir(tables).filePath(QStringLiteral("back")), chosen}));
        const QStringList zips = QDir(chosen).entryList({QStringLiteral("*.zip")}, QDir::Files);
        QCOMPARE(zips.size(), 1);
        QCOMPARE(m_prompt->texts(), (QStringList{QString(),
                                                 QStringLiteral("Se hizo la copia de seguridad ") +
                                                     QDir::toNativeSeparators(QDir(chosen).filePath(zips.first())),
                                                 QString()}));
        QCOMPARE(backup::readBackup(QDir(chosen).filePath(zips.first())).lastPeriod, QStringLiteral("03/2016"));
        QCOMPARE(standingViewsOpen(), QList<bool>(10, true));
    }

    // The views are closed while the question is shown and open again after, on the restored
    // rows, on a refused file and on No alike.
    void restaurarCopia_data()
    {
        QTest::addColumn<bool>("sound");
        QTest::addColumn<PromptButton>("answer");
        QTest::newRow("Yes") << true << PromptButton::Yes;
        QTest::newRow("No") << true << PromptButton::No;
        QTest::newRow("not a backup") << false << PromptButton::None;
    }

    void restaurarCopia()
    {
        QFETCH(bool, sound);
        QFETCH(PromptButton, answer);
        saveAgentAndPeriod();
        const QString zipFile = backup::makeBackup(DModulo->aliasFolder(), m_folder->file(QStringLiteral("copias")));
        DModulo->TAnticipos->first();
        DModulo->TAnticipos->remove();
        QVERIFY(DModulo->TAnticipos->isEmpty());
        const QString bad = m_folder->file(QStringLiteral("no-es.zip"));
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("no es una copia");
        file.close();

        QList<bool> whileAsked;
        m_prompt->answerFile(sound ? zipFile : bad);
        if (sound) {
            m_prompt->whileNextShown([&] { whileAsked = standingViewsOpen(); });
            m_prompt->answer(answer);
        }
        trigger(QStringLiteral("RestaurarCopia1"));

        const QList<PromptMessage> shown = m_prompt->shown();
        QCOMPARE(shown.first().caption, QStringLiteral("Restaurar Copia de Seguridad"));
        QCOMPARE(m_prompt->fileFolders(), QStringList{QDir(DModulo->aliasFolder()).filePath(QStringLiteral("back"))});
        QCOMPARE(standingViewsOpen(), QList<bool>(10, true));
        if (!sound) {
            QCOMPARE(shown.size(), 2);
            QCOMPARE(shown.last().icon, PromptIcon::Error);
            QVERIFY2(shown.last().text.contains(QStringLiteral("no es una copia de seguridad")),
                     qPrintable(shown.last().text));
            QVERIFY(DModulo->TAnticipos->isEmpty());
            return;
        }
        QCOMPARE(whileAsked, QList<bool>(10, false));
        QCOMPARE(shown[1].buttons, PromptButtons::YesNo);
        QVERIFY2(shown[1].text.contains(QStringLiteral("Último anticipo presentado: 03/2016")),
                 qPrintable(shown[1].text));
        const bool restored = answer == PromptButton::Yes;
        QCOMPARE(shown.size(), restored ? 3 : 2);
        if (restored)
            QVERIFY2(shown.last().text.startsWith(QStringLiteral("Se restauró la copia de seguridad")),
                     qPrintable(shown.last().text));
        QCOMPARE(DModulo->TAnticipos->isEmpty(), !restored);
    }

    void restaurarCopiaFromTheList_data()
    {
        QTest::addColumn<int>("choice");  // 0: Restaurar, 1: Otro archivo…, -1: the list closed
        QTest::newRow("the automatic copy restored") << 0;
        QTest::newRow("another file asked for") << 1;
        QTest::newRow("closed") << -1;
    }

    // The backups beside the tables are listed newest first, each automatic copy with the work
    // it preceded; the one picked is restored, and "Otro archivo…" opens the file dialog.
    void restaurarCopiaFromTheList()
    {
        QFETCH(int, choice);
        saveAgentAndPeriod();
        const QString folder = DModulo->aliasFolder();
        backup::makeBackup(folder, backup::defaultFolder(folder));
        backup::makeSafetyCopy(folder, backup::Work::Import);
        DModulo->TAnticipos->first();
        DModulo->TAnticipos->remove();

        m_prompt->answerPick(choice, 0);
        if (choice == 0)
            m_prompt->answer(PromptButton::Yes);
        if (choice == 1)
            m_prompt->answerFile(QString());
        trigger(QStringLiteral("RestaurarCopia1"));

        const QList<PromptMessage> shown = m_prompt->shown();
        QCOMPARE(shown.first().caption, QStringLiteral("Restaurar Copia de Seguridad"));
        const QStringList rows = shown.first().text.split(QLatin1Char('\n')).mid(1);
        QCOMPARE(rows.size(), 2);
        QVERIFY2(rows[0].contains(QStringLiteral("automática, antes de una importación")), qPrintable(rows[0]));
        QVERIFY2(rows[1].contains(QStringLiteral("hecha a mano")), qPrintable(rows[1]));
        QCOMPARE(shown.size(), choice == 0 ? 3 : 1 + (choice == 1));
        if (choice == 1)
            QCOMPARE(m_prompt->fileFolders(), QStringList{backup::defaultFolder(folder)});
        QCOMPARE(DModulo->TAnticipos->isEmpty(), choice != 0);
        QCOMPARE(standingViewsOpen(), QList<bool>(10, true));
    }

    // The file dialog opens on the declarations' folder; the window shows what the verifier found,
    // a summary or the faults; no file chosen, no window.
    void verificarDeclaracion_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // empty: the file dialog is cancelled
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("detail");
        const QByteArray good =
            "TARVENIOV1.2\r\nK8<EA\r\n'000','2005','03','0';\r\n"
            "'010','20123456786','IMPRENTA','S','N','N','','','','','';\r\nEof\r\n";
        QTest::newRow("a sound file") << good << "La declaración es correcta."
                                      << "Clientes: 0";
        QTest::newRow("a file cut short") << good.left(good.size() - 5) << "La declaración tiene un error."
                                          << "Línea 4: falta la línea Eof al final";
        QTest::newRow("cancelled") << QByteArray() << ""
                                   << "";
    }

    void verificarDeclaracion()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, verdict);
        QFETCH(QString, detail);
        const QString path = m_folder->file(QStringLiteral("20123456786200503.imp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        m_prompt->answerFile(bytes.isEmpty() ? QString() : path);
        QString shownVerdict, shownText;
        m_whileShown = [&](QDialog& dialog) {
            shownVerdict = dialog.findChild<QLabel*>(QStringLiteral("Label2"))->text();
            shownText = dialog.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
        };
        trigger(QStringLiteral("VerificarDeclaracion1"));
        QCOMPARE(m_dialogs, bytes.isEmpty() ? QStringList() : QStringList{"FVerificar"});
        QCOMPARE(m_prompt->fileFolders(),
                 QStringList{QDir::toNativeSeparators(QDir(DModulo->aliasFolder()).filePath(QStringLiteral("ddjj")))});
        QCOMPARE(shownVerdict, verdict);
        QVERIFY2(shownText.contains(detail), qPrintable(shownText));
    }

    // A repair that cannot rebuild every table names the restore as the way back, once: coming
    // back to the window repeats nothing until another repair fails.
    void failedRepairTellsTheWayBackOnce()
    {
        destroyForms();
        QFile damaged(m_folder->file(QStringLiteral("tablas/Maquina.DB")));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(QByteArray(8192, 'x'));
        damaged.close();
        createForms(&m_folder->config());
        FPrincipal->FormActivate();
        QVERIFY(m_prompt->last().text.contains(QStringLiteral("Reparar Base")));
        m_prompt->clear();
        m_whileShown = [](QDialog& dialog) {
            if (dialog.objectName() != QLatin1String("FReparacion"))
                return;
            FReparacion->FormShow();
            try {
                FReparacion->BitBtn1Click();
            } catch (const store::StoreError&) {
                // the run stopped at a table; what was done counts as a failed run
            }
            FReparacion->FormClose();
        };
        const auto wayBackTold = [this] {
            return int(m_prompt->texts().filter(QStringLiteral("Herramientas / Restaurar Copia…")).size());
        };
        const auto repair = [this] {
            m_prompt->answer(PromptButton::Yes);
            trigger(QStringLiteral("RepararBase1"));
        };

        repair();
        QCOMPARE(wayBackTold(), 1);
        QVERIFY(m_prompt->texts().filter(QStringLiteral("Ejecute Herramientas / Reparar Base")).isEmpty());
        for (const char* entry : {"Ayuda1", "ImportarClientes1"}) {
            trigger(QString::fromLatin1(entry));
            FPrincipal->FormActivate();
        }
        QCOMPARE(wayBackTold(), 1);
        repair();
        QCOMPARE(wayBackTold(), 2);
    }
};

QTEST_MAIN(TestPrincipalTools)
#include "tst_principaltools.moc"
