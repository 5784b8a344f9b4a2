#include "KillAt.h"
#include "SmallStore.h"

#include "data/store/Database.h"
#include "data/store/Query.h"

#include <sqlite3.h>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

using namespace smallstore;
using store::Dataset;
using store::Transaction;

namespace {

const int OldRows = 40;
const int NewRows = 300;

// Counts rows as the files hold them, through a connection of its own; or the error it met.
QString onDisk(const QString& folder)
try {
    store::Session session(QStringLiteral("Control"), tables(), references());
    session.setFolderOverride(folder);
    Dataset registro(&session, QStringLiteral("R"), QStringLiteral("registro"));
    Dataset nota(&session, QStringLiteral("N"), QStringLiteral("nota"));
    registro.open();
    nota.open();
    registro.setFilter(QStringLiteral("anio='2024'"));
    registro.setFiltered(true);
    return QStringLiteral("%1/%2/%3")
        .arg(registro.recordCount())
        .arg(nota.recordCount())
        .arg(registro.recordCount() ? registro.text(QStringLiteral("Nombre")) : QString());
} catch (const store::StoreError& e) {
    return e.text();
}

void fillOld(store::Session& session)
{
    Transaction t(session.database());
    Dataset registro(&session, QStringLiteral("R"), QStringLiteral("registro"));
    Dataset nota(&session, QStringLiteral("N"), QStringLiteral("nota"));
    registro.open();
    nota.open();
    for (int i = 0; i < OldRows; ++i) {
        addRow(registro, {{"Clave", QString::number(i)}, {"Nombre", "VIEJO"}, {"Anio", "2024"}});
        addRow(nota, {{"Registro", i + 1}, {"Texto", "NOTA VIEJA"}});
    }
    t.commit();
}

// The work a crash interrupts: one transaction over both files that renames every old row and
// adds new ones to each table.
int commitChild(const QString& folder)
{
    store::Session session(QStringLiteral("Hijo"), tables(), references());
    session.setFolderOverride(folder);
    store::Database& db = session.database();
    const QString registro = db.qualifiedTable(QStringLiteral("registro"));
    const QString nota = db.qualifiedTable(QStringLiteral("nota"));
    Transaction t(db);
    db.exec(QStringLiteral("UPDATE %1 SET Nombre = 'NUEVO'").arg(registro));
    for (int i = 0; i < NewRows; ++i) {
        db.exec(QStringLiteral("INSERT INTO %1 (Clave, Nombre, Anio) VALUES ('n%2', 'NUEVO', '2024')")
                    .arg(registro)
                    .arg(i));
        db.exec(QStringLiteral("INSERT INTO %1 (Registro, Texto) VALUES (%2, 'NOTA NUEVA')").arg(nota).arg(i));
    }
    t.commit();
    return 0;
}

}  // namespace

class TestTransaction : public QObject {
    Q_OBJECT
private slots:
    void commitReachesEveryFile();
    void exceptionRollsBackEveryFile();
    void nested_data();
    void nested();
    void viewsNotifiedWhenOutermostEnds();
    void sqliteRolledBackOnItsOwn();
    void crashDuringCommitIsAllOrNothing_data();
    void crashDuringCommitIsAllOrNothing();
};

void TestTransaction::commitReachesEveryFile()
{
    Folder folder;
    Dataset registro(&folder.session, QStringLiteral("R"), QStringLiteral("registro"));
    Dataset nota(&folder.session, QStringLiteral("N"), QStringLiteral("nota"));
    registro.open();
    nota.open();
    {
        Transaction t(folder.session.database());
        addRow(registro, {{"Clave", "a"}, {"Nombre", "UNO"}, {"Anio", "2024"}});
        addRow(nota, {{"Registro", 1}, {"Texto", "X"}});
        // Nothing is on disk for another connection before the commit.
        QCOMPARE(onDisk(folder.dir.path()), QStringLiteral("0/0/"));
        t.commit();
    }
    QCOMPARE(onDisk(folder.dir.path()), QStringLiteral("1/1/UNO"));
}

void TestTransaction::exceptionRollsBackEveryFile()
{
    Folder folder;
    fillOld(folder.session);
    Dataset registro(&folder.session, QStringLiteral("R"), QStringLiteral("registro"));
    Dataset nota(&folder.session, QStringLiteral("N"), QStringLiteral("nota"));
    store::Query update(&folder.session, QStringLiteral("Q"),
                        {QStringLiteral("update registro.db set nombre='NUEVO'")});
    registro.open();
    nota.open();
    try {
        Transaction t(folder.session.database());
        update.execSql();
        addRow(registro, {{"Clave", "x"}, {"Anio", "2024"}});
        nota.first();
        nota.remove();
        throw std::runtime_error("interrumpido");
    } catch (const std::runtime_error&) {
    }
    QCOMPARE(folder.session.database().transactionDepth(), 0);
    QCOMPARE(registro.recordCount(), OldRows);
    QCOMPARE(nota.recordCount(), OldRows);
    QCOMPARE(column(registro, QStringLiteral("Nombre")).count(QStringLiteral("VIEJO")), OldRows);
    QCOMPARE(onDisk(folder.dir.path()), QStringLiteral("%1/%1/VIEJO").arg(OldRows));
}

void TestTransaction::nested_data()
{
    QTest::addColumn<bool>("innerCommits");
    QTest::addColumn<bool>("outerCommits");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("both commit") << true << true << QStringList{"o", "i"};
    QTest::newRow("inner rolled back") << false << true << QStringList{"o"};
    QTest::newRow("outer rolled back") << true << false << QStringList{};
    QTest::newRow("both rolled back") << false << false << QStringList{};
}

void TestTransaction::nested()
{
    QFETCH(bool, innerCommits);
    QFETCH(bool, outerCommits);
    QFETCH(QStringList, rows);
    Folder folder;
    Dataset registro(&folder.session, QStringLiteral("R"), QStringLiteral("registro"));
    Dataset nota(&folder.session, QStringLiteral("N"), QStringLiteral("nota"));
    registro.open();
    nota.open();
    {
        Transaction outer(folder.session.database());
        addRow(registro, {{"Clave", "o"}});
        {
            Transaction inner(folder.session.database());
            addRow(registro, {{"Clave", "i"}});
            addRow(nota, {{"Texto", "i"}});
            QCOMPARE(folder.session.database().transactionDepth(), 2);
            if (innerCommits)
                inner.commit();
        }
        if (outerCommits)
            outer.commit();
    }
    QCOMPARE(column(registro, QStringLiteral("Clave")), rows);
    QCOMPARE(nota.recordCount(), rows.contains(QStringLiteral("i")) ? 1 : 0);
    folder.session.setActive(false);
    registro.open();
    QCOMPARE(column(registro, QStringLiteral("Clave")), rows);
}

void TestTransaction::viewsNotifiedWhenOutermostEnds()
{
    Folder folder;
    Dataset writer(&folder.session, QStringLiteral("W"), QStringLiteral("registro"));
    Dataset reader(&folder.session, QStringLiteral("R"), QStringLiteral("registro"));
    writer.open();
    reader.open();
    QSignalSpy rows(&reader, &Dataset::rowsChanged);
    store::Database& db = folder.session.database();

    // Committed: the other view hears of the row when the transaction ends, not before.
    {
        Transaction t(db);
        addRow(writer, {{"Clave", "c"}});
        QCOMPARE(rows.count(), 0);
        t.commit();
        QVERIFY(rows.count() > 0);
    }
    QCOMPARE(column(reader, QStringLiteral("Clave")), QStringList{"c"});

    // Rolled back: a view that read the pending row through the same connection hears it is gone.
    {
        Transaction t(db);
        addRow(writer, {{"Clave", "r"}});
        reader.refresh();
        QCOMPARE(reader.recordCount(), 2);
        rows.clear();
    }
    QVERIFY(rows.count() > 0);
    QCOMPARE(column(reader, QStringLiteral("Clave")), QStringList{"c"});
    QCOMPARE(column(writer, QStringLiteral("Clave")), QStringList{"c"});
}

void TestTransaction::sqliteRolledBackOnItsOwn()
{
    // On a full disk or an I/O error SQLite undoes the whole transaction by itself: the levels
    // still open must not commit as if their changes were there, and the next one must work.
    Folder folder;
    Dataset registro(&folder.session, QStringLiteral("R"), QStringLiteral("registro"));
    registro.open();
    store::Database& db = folder.session.database();
    {
        Transaction outer(db);
        addRow(registro, {{"Clave", "a"}});
        {
            Transaction inner(db);
            addRow(registro, {{"Clave", "b"}});
            QCOMPARE(sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        QCOMPARE(db.transactionDepth(), 0);
        QVERIFY_THROWS_EXCEPTION(store::StoreError, outer.commit());
    }
    QCOMPARE(db.transactionDepth(), 0);
    {
        Transaction next(db);
        addRow(registro, {{"Clave", "c"}});
        next.commit();
    }
    registro.refresh();
    QCOMPARE(column(registro, QStringLiteral("Clave")), QStringList{QStringLiteral("c")});
}

void TestTransaction::crashDuringCommitIsAllOrNothing_data()
{
    // The process is killed at the n-th call of a system call while it commits one transaction
    // over two files: before the commit point both files must read as before, after it both as after.
    QTest::addColumn<QString>("syscall");
    QTest::addColumn<int>("when");
    for (int n = 1; n <= 3; ++n)
        QTest::addRow("unlink %d", n) << "unlink" << n;
    for (int n = 1; n <= 11; ++n)
        QTest::addRow("sync %d", n) << "fsync,fdatasync" << n;
    for (int n : {1, 20, 40})
        QTest::addRow("pwrite64 %d", n) << "pwrite64" << n;
}

void TestTransaction::crashDuringCommitIsAllOrNothing()
{
    QFETCH(QString, syscall);
    QFETCH(int, when);
    Folder folder;
    fillOld(folder.session);
    folder.session.setActive(false);

    const killat::Result child = killat::run(syscall, when, {QStringLiteral("--commit-child"), folder.dir.path()});
    if (child.end == killat::End::Untraceable)
        QSKIP("strace cannot trace processes here");
    // Killed by the injection, not finished or failed on its own: the crash point was reached.
    QCOMPARE(int(child.end), int(killat::End::Killed));

    const QString after = onDisk(folder.dir.path());
    const QString before = QStringLiteral("%1/%1/VIEJO").arg(OldRows);
    const QString committed = QStringLiteral("%1/%1/NUEVO").arg(OldRows + NewRows);
    QVERIFY2(after == before || after == committed, qPrintable(after));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--commit-child") == 0)
        return commitChild(QString::fromLocal8Bit(argv[2]));
    TestTransaction test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_transaction.moc"
