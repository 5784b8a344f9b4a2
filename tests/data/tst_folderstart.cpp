#include "ScriptedPrompt.h"
#include "data/FolderStart.h"
#include "data/UModulo.h"
#include "data/files/FolderLock.h"
#include "data/store/AliasConfig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// What the windows do with the folder of the tables before they open it: a missing folder is
// asked about and never made without the clerk's word; a folder another program holds is
// refused, naming that program.
class TestFolderStart : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<store::AliasConfig> m_config;

    QString missing() const { return m_dir->filePath(QStringLiteral("unidad/tablas")); }
    QString other() const { return m_dir->filePath(QStringLiteral("otra")); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_config = std::make_unique<store::AliasConfig>(m_dir->filePath(QStringLiteral("store.conf")));
        m_config->add(TDModulo::AliasName, missing(), QStringLiteral("TABLAS"));
        m_config->save();
        QVERIFY(QDir().mkpath(other()));
    }
    void cleanup()
    {
        m_config.reset();
        m_dir.reset();
    }

    void missingFolder_data()
    {
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<QString>("otherChosen");  // answered to the folder dialog
        QTest::addColumn<bool>("plugInWhileAsked");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QString>("folderUsed");  // "alias" or "otra"
        using F = folderstart::Choice;
        QTest::newRow("retry once the stick is in") << QList<int>{F::Retry} << "" << true << true << "alias";
        QTest::newRow("retry, then give up") << QList<int>{F::Retry, -1} << "" << false << false << "alias";
        QTest::newRow("another folder for this run") << QList<int>{F::OtherFolder} << "otra" << false << true << "otra";
        QTest::newRow("folder dialog cancelled, then empty tables")
            << QList<int>{F::OtherFolder, F::CreateEmpty} << "" << false << true << "alias";
        QTest::newRow("empty tables") << QList<int>{F::CreateEmpty} << "" << false << true << "alias";
        QTest::newRow("question closed") << QList<int>{-1} << "" << false << false << "alias";
    }

    void missingFolder()
    {
        QFETCH(QList<int>, choices);
        QFETCH(QString, otherChosen);
        QFETCH(bool, plugInWhileAsked);
        QFETCH(bool, goesOn);
        QFETCH(QString, folderUsed);
        ScriptedPrompt prompt;
        for (int choice : choices)
            prompt.answerChoice(choice);
        if (choices.contains(folderstart::OtherFolder))
            prompt.answerFile(otherChosen.isEmpty() ? QString() : other());
        if (plugInWhileAsked)
            prompt.whileNextShown([this] { QVERIFY(QDir().mkpath(missing())); });
        TDModulo m(m_config.get(), prompt);

        QCOMPARE(folderstart::prepare(m, prompt, false), goesOn);

        const QString asked = folderstart::missingFolderText(QDir::toNativeSeparators(missing()));
        QVERIFY2(asked.startsWith(QStringLiteral("No se encuentra la carpeta de las tablas %1. ¿Es una unidad que "
                                                 "no está conectada?")
                                      .arg(QDir::toNativeSeparators(missing()))),
                 qPrintable(asked));
        QCOMPARE(prompt.shown().first().text, asked);
        const QString expected = folderUsed == QLatin1String("otra") ? other() : missing();
        QCOMPARE(m.aliasFolder(), expected);
        QCOMPARE(m.folderLocked(), goesOn);
        QCOMPARE(m_config->path(TDModulo::AliasName), missing());  // the alias is never changed
        // Only the clerk's word (or the stick) makes the folder be there.
        const bool madeHere = choices.contains(folderstart::CreateEmpty);
        QCOMPARE(QFileInfo(missing()).isDir(), madeHere || plugInWhileAsked);
        // Nothing else is written until the tables open.
        if (QFileInfo(missing()).isDir())
            QCOMPARE(QDir(missing()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
                     goesOn && expected == missing() ? QStringList{store::FolderLock::FileName} : QStringList{});
    }

    // A folder given for the run is refused, not asked about: a mistyped one is no stick.
    void missingFolderGivenForRun()
    {
        ScriptedPrompt prompt;
        TDModulo m(m_config.get(), prompt, missing());
        QVERIFY(!folderstart::prepare(m, prompt, true));
        QCOMPARE(
            prompt.texts(),
            QStringList{
                QStringLiteral("No existe la carpeta de las tablas: %1").arg(QDir::toNativeSeparators(missing()))});
        QCOMPARE(prompt.last().icon, PromptIcon::Error);
        QVERIFY(!QFileInfo::exists(missing()));
    }

    // Another program on the folder: the windows say which and do not start; once it has ended
    // (however it ended) they start.
    void folderInUse()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
            QSKIP("no flock tool here");
        QVERIFY(QDir().mkpath(missing()));
        const QString lockFile = QDir(missing()).filePath(store::FolderLock::FileName);
        {
            QFile file(lockFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("la orden importar-detalles (proceso 4242), desde el 01/03/2024 10:00:00\n");
        }
        QProcess holder;
        // One process that holds the lock itself, so that killing it is the holder's end.
        holder.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QStringLiteral("exec 9<>\"$0\" && flock -x 9 && exec sleep 30"), lockFile});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(QProcess::execute(QStringLiteral("flock"), {QStringLiteral("-n"), lockFile, "true"}) != 0);
        {
            ScriptedPrompt prompt;
            TDModulo m(m_config.get(), prompt);
            QVERIFY(!folderstart::prepare(m, prompt, false));
            QCOMPARE(prompt.shown().size(), 1);
            QCOMPARE(prompt.last().icon, PromptIcon::Error);
            QVERIFY2(prompt.last().text.contains(QStringLiteral(
                         "en uso por otro programa Tarvenio: la orden importar-detalles (proceso 4242)")),
                     qPrintable(prompt.last().text));
        }
        holder.kill();
        QVERIFY(holder.waitForFinished());
        ScriptedPrompt prompt;
        TDModulo m(m_config.get(), prompt);
        QVERIFY(folderstart::prepare(m, prompt, false));
        QVERIFY(prompt.shown().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFolderStart)
#include "tst_folderstart.moc"
