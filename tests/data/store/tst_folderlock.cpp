#include "data/Schema.h"
#include "data/files/FolderLock.h"
#include "data/files/StagedFiles.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The lock of a folder of tables against another program: the other program here is the
// system's flock tool on the same lock file, which holds it as a second Tarvenio would.
class TestFolderLock : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_holder;

    QString folder() const { return m_dir->path(); }
    QString lockFile() const { return QDir(folder()).filePath(store::FolderLock::FileName); }

    // Whether another process could take the lock now.
    bool freeForOthers() const
    {
        return QProcess::execute(QStringLiteral("flock"), {QStringLiteral("-n"), lockFile(), QStringLiteral("true")}) ==
               0;
    }

    // Another program holds the folder for seconds, as who says.
    void holdElsewhere(const QByteArray& who, double seconds)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
            QSKIP("no flock tool here");
        QFile file(lockFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(who);
        file.close();
        m_holder = std::make_unique<QProcess>();
        // One process that holds the lock itself, so that killing it is the holder's end.
        m_holder->start(QStringLiteral("sh"),
                        {QStringLiteral("-c"),
                         QStringLiteral("exec 9<>\"$0\" && flock -x 9 && exec sleep %1").arg(seconds), lockFile()});
        QVERIFY(m_holder->waitForStarted());
        QTRY_VERIFY(!freeForOthers());
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        if (m_holder) {
            m_holder->kill();
            m_holder->waitForFinished();
        }
        m_holder.reset();
        m_dir.reset();
    }

    // Every holder in one process shares the lock: the system's lock stays while any of them
    // does and goes with the last.
    void sharedWithinAProcess()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
            QSKIP("no flock tool here");
        auto windows = std::make_unique<store::FolderLock>(folder(), QStringLiteral("las ventanas"));
        QVERIFY(!freeForOthers());
        QVERIFY(store::FolderLock::heldHere(folder()));
        {
            store::Database db(folder(), schema::tables(), schema::references());
            const store::FolderLock again(folder() + QStringLiteral("/."));
            windows.reset();
            QVERIFY(!freeForOthers());
        }
        QVERIFY(freeForOthers());
        QVERIFY(!store::FolderLock::heldHere(folder()));
    }

    void anotherProgram_data()
    {
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<double>("heldSeconds");
        QTest::addColumn<bool>("taken");
        QTest::newRow("no wait") << 0 << 30.0 << false;
        QTest::newRow("waits, then refuses") << 400 << 30.0 << false;
        QTest::newRow("waits until the other ends") << 8000 << 0.7 << true;
    }

    // Refused with the holder named after the wait, or taken as soon as the holder lets go.
    void anotherProgram()
    {
        QFETCH(int, waitMs);
        QFETCH(double, heldSeconds);
        QFETCH(bool, taken);
        holdElsewhere("la orden presentar (proceso 4242), desde el 01/03/2024 10:00:00\n", heldSeconds);
        QElapsedTimer clock;
        clock.start();
        try {
            const store::FolderLock lock(folder(), QStringLiteral("las ventanas"), waitMs);
            QVERIFY(taken);
            QVERIFY(clock.elapsed() < waitMs);
        } catch (const store::StoreError& e) {
            QVERIFY2(!taken, qPrintable(e.text()));
            QCOMPARE(e.code(), int(store::FolderBusy));
            QVERIFY2(e.text().contains(QStringLiteral("en uso por otro programa")), qPrintable(e.text()));
            QVERIFY2(e.text().contains(QStringLiteral("la orden presentar (proceso 4242)")), qPrintable(e.text()));
            QVERIFY(clock.elapsed() >= waitMs);
        }
    }

    // A program killed while it holds the folder leaves it free.
    void killedHolderLeavesItFree()
    {
        holdElsewhere("las ventanas (proceso 4242)\n", 30);
        m_holder->kill();
        QVERIFY(m_holder->waitForFinished());
        const store::FolderLock lock(folder(), QStringLiteral("las ventanas"));
        QFile file(lockFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("las ventanas (proceso "));
    }

    // The files of a restore still waiting are not touched by an open while the restore holds
    // the folder; once it is free, the open finishes (here: removes) them as before.
    void openWaitsForTheHolder()
    {
        const QString waiting = store::staged::folderFor(folder());
        QVERIFY(QDir().mkpath(waiting));
        QFile staged(QDir(waiting).filePath(QStringLiteral("cliente.DB")));
        QVERIFY(staged.open(QIODevice::WriteOnly));
        staged.write("a medio copiar");
        staged.close();
        holdElsewhere("la orden restaurar (proceso 4242)\n", 30);
        try {
            store::Database db(folder(), schema::tables(), schema::references());
            QFAIL("the tables opened under another program's lock");
        } catch (const store::StoreError& e) {
            QCOMPARE(e.code(), int(store::FolderBusy));
        }
        QVERIFY(QFile::exists(staged.fileName()));
        QVERIFY(!QFile::exists(QDir(folder()).filePath(QStringLiteral("cliente.DB"))));
        m_holder->kill();
        QVERIFY(m_holder->waitForFinished());
        store::Database db(folder(), schema::tables(), schema::references());
        QVERIFY(!QFile::exists(waiting));
    }
};

QTEST_GUILESS_MAIN(TestFolderLock)
#include "tst_folderlock.moc"
