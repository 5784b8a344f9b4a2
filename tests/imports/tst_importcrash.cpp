// A program killed in the middle of a large import leaves the tables as they were before it:
// a child process runs the import, holds still inside its transaction once the table file has
// taken uncommitted pages, and is killed; the tables are then opened again.

#include "ImportFixture.h"
#include "ImportLines.h"

#include <QFileInfo>
#include <QProcess>

using fixture::cuitFor;

class TestImportCrash : public QObject {
    Q_OBJECT

private slots:
    void killedMidImport_data();
    void killedMidImport();
};

void TestImportCrash::killedMidImport_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("table");
    QTest::newRow("clients") << "clients"
                             << "cliente";
    QTest::newRow("details") << "details"
                             << "detalle";
}

void TestImportCrash::killedMidImport()
{
    QFETCH(QString, kind);
    QFETCH(QString, table);
    const int lines = 100000;

    fixture::Imports f;
    const qint64 client = f.addClient(cuitFor(1), QStringLiteral("ALFA SRL"));
    f.addTypedDetail(client);
    f.addTypedDetail(client, QStringLiteral("2023"));

    // Lines in the positions import_child uses; every one of them is taken.
    QStringList text;
    for (int i = 0; i < lines; ++i)
        text << (kind == QLatin1String("clients") ? fixture::numberedClientLine(1000000 + i, i)
                                                  : fixture::numberedDetailLine(cuitFor(1), QStringLiteral("ALFA SRL"),
                                                                                QStringLiteral("05/04/2024"), i));
    const QString path = f.write(QStringLiteral("grande.txt"), fixture::fileOf(text));

    const QStringList columns = {QStringLiteral("*")};
    const QStringList clientsBefore = f.rows(QStringLiteral("cliente"), columns.first());
    const QStringList detailsBefore = f.rows(QStringLiteral("detalle"), columns.first());
    const QString tables = f.m().aliasFolder();
    const QString tableFile = QDir(tables).filePath(table == QLatin1String("cliente") ? QStringLiteral("cliente.DB")
                                                                                      : QStringLiteral("detalle.DB"));
    const qint64 sizeBefore = QFileInfo(tableFile).size();
    f.m().CerrarTablas();  // the child has the files to itself

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/import_child"),
                {tables, kind, path, QString::number(lines * 3 / 4)});
    QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
    QByteArray said;
    while (!said.contains("stopped") && child.state() == QProcess::Running) {
        child.waitForReadyRead(1000);
        said += child.readAllStandardOutput();
    }
    QVERIFY2(said.contains("stopped"), said.constData());
    // The table file holds pages of the unfinished transaction, and its journal is beside it.
    QVERIFY(QFileInfo(tableFile).size() > sizeBefore);
    QVERIFY(QFileInfo::exists(tableFile + QStringLiteral("-journal")));
    child.kill();
    QVERIFY(child.waitForFinished());

    f.m().AbrirTablas();
    QCOMPARE(f.rows(QStringLiteral("cliente"), columns.first()), clientsBefore);
    QCOMPARE(f.rows(QStringLiteral("detalle"), columns.first()), detailsBefore);
    QCOMPARE(f.m().TDetalles->recordCount(), 1);
}

QTEST_MAIN(TestImportCrash)
#include "tst_importcrash.moc"
