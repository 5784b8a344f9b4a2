// The client import without windows: which lines give a client, and the run that adds them all or none.

#include "ClientLines.h"
#include "ImportFixture.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <climits>

using fixture::cuitFor;
using fixture::fileOf;
using fixture::loaded;
using imports::ClientColumns;

class TestClientImport : public ClientImportTest {
    Q_OBJECT

private slots:
    void cleanup() { m_f.reset(); }

    void clientFromLine_data();
    void clientFromLine();
    void loadsNewClients();
    void onlyKnownClientsAddNothing();
    void sameCuitTwiceInOneFile();
    void valuesCutToTheirFields();
    void lineTheTableCannotHoldIsSkipped();
    void unreadableFileLosesNothing_data();
    void unreadableFileLosesNothing();
    void fileCutWhileTheNoticeIsOpen();
};

void TestClientImport::clientFromLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("client");  // the values joined by '|', empty when the line is skipped

    const QString a = cuitFor(1234567);
    QTest::newRow("complete, upper case but the registration")
        << clientLine(a, "josé peña srl", "901-ab", "av. san martín 12", "rosario", "s2000a", "santa fe")
        << a + "|JOSé PEñA SRL|901-ab|AV. SAN MARTíN 12|ROSARIO|S2000A|SANTA FE";
    QTest::newRow("check digit wrong") << clientLine(fixture::badCuitFor(1234567), "ALFA") << "";
    QTest::newRow("blank C.U.I.T.") << clientLine("", "ALFA") << "";
    QTest::newRow("C.U.I.T. with dashes") << clientLine("20-01234567-8", "ALFA") << "";
    QTest::newRow("no name") << clientLine(a, "") << "";
    QTest::newRow("no registration") << clientLine(a, "ALFA", "") << "";
    QTest::newRow("no address") << clientLine(a, "ALFA", "1", "") << "";
    QTest::newRow("no locality") << clientLine(a, "ALFA", "1", "X", "") << "";
    QTest::newRow("no postal code") << clientLine(a, "ALFA", "1", "X", "Rosario", "") << "";
    QTest::newRow("no province outside the capital") << clientLine(a, "ALFA", "1", "X", "Rosario", "2000", "") << "";
    QTest::newRow("no province in the capital, any case")
        << clientLine(a, "Alfa", "1", "X", "cApItAl FeDeRaL", "1000", "") << a + "|ALFA|1|X|CAPITAL FEDERAL|1000|";
    QTest::newRow("C.U.I.T. shifted out of its columns") << clientLine(" " + a.left(10), "Alfa") << "";
    const QString full = clientLine(a, "Alfa", "1", "X", "Rosario", "2000", "Santa Fe");
    QTest::newRow("a line ending inside the province") << full.left(110) << a + "|ALFA|1|X|ROSARIO|2000|SAN";
    QTest::newRow("a line ending before the province") << full.left(107) << "";
    QTest::newRow("a line ending before the postal code") << full.left(100) << "";
}

void TestClientImport::clientFromLine()
{
    QFETCH(QString, line);
    QFETCH(QString, client);
    imports::ClientValues v;
    const QString got =
        imports::clientFromLine(line, ClientLayout, v)
            ? QStringList{v.cuit, v.razonSocial, v.inscripcion, v.domicilio, v.localidad, v.codigoPostal, v.provincia}
                  .join(QLatin1Char('|'))
            : QString();
    QCOMPARE(got, client);
}

void TestClientImport::loadsNewClients()
{
    f().addClient(cuitFor(1), QStringLiteral("YA REGISTRADO"));
    const QString path = f().write(QStringLiteral("padron.txt"),
                                   fileOf({clientLine(cuitFor(1), "Otro nombre"), clientLine(cuitFor(2), "Beta"),
                                           clientLine(cuitFor(3), "Gamma", "1", "X", "Capital Federal", "1000", ""),
                                           clientLine(cuitFor(4), "Sin provincia", "1", "X", "Cordoba", "5000", "")}));
    QCOMPARE(imports::importClients(f().m(), f().m().prompt(), path, ClientLayout), 2);
    QCOMPARE(clients(), (QStringList{cuitFor(1) + "|YA REGISTRADO|<null>|<null>|<null>|<null>|<null>",
                                     cuitFor(2) + "|BETA|901-22|SAN MARTIN 120|ROSARIO|2000|SANTA FE",
                                     cuitFor(3) + "|GAMMA|1|X|CAPITAL FEDERAL|1000|<null>"}));
    QCOMPARE(f().prompt.texts(), (QStringList{OnlyComplete, loaded(2)}));
    QCOMPARE(f().prompt.shown()[0].caption, QStringLiteral("Brosmera"));
    QCOMPARE(f().prompt.shown()[1].caption, QStringLiteral("Quenlaro"));
    QCOMPARE(f().prompt.shown()[1].buttons, PromptButtons::Ok);
    QCOMPARE(f().m().TCliente->recordCount(), 3);  // the lists of clients see the new rows
}

void TestClientImport::onlyKnownClientsAddNothing()
{
    f().addClient(cuitFor(1), QStringLiteral("ALFA"));
    f().addClient(cuitFor(2), QStringLiteral("BETA"));
    const QStringList before = clients();
    const QString path =
        f().write(QStringLiteral("p.prn"), fileOf({clientLine(cuitFor(2), "B"), clientLine(cuitFor(1), "A")}));
    QCOMPARE(imports::importClients(f().m(), f().m().prompt(), path, ClientLayout), 0);
    QCOMPARE(clients(), before);
    QCOMPARE(f().prompt.texts().last(), loaded(0));
}

void TestClientImport::sameCuitTwiceInOneFile()
{
    const QString path =
        f().write(QStringLiteral("p.txt"), fileOf({clientLine(cuitFor(5), "Primero"), clientLine(cuitFor(5), "Segundo"),
                                                   clientLine(cuitFor(6), "Tercero")}));
    QCOMPARE(imports::importClients(f().m(), f().m().prompt(), path, ClientLayout), 2);
    QCOMPARE(f().rows(QStringLiteral("cliente"), QStringLiteral("Razon_Social")), (QStringList{"PRIMERO", "TERCERO"}));
    QCOMPARE(f().prompt.texts().last(), loaded(2));
}

void TestClientImport::valuesCutToTheirFields()
{
    const ClientColumns wide{{1, 11}, {12, 111}, {112, 131}, {132, 191}, {192, 231}, {232, 241}, {242, 281}};
    const QString line = cuitFor(7) + QString(100, QLatin1Char('n')) + QString(20, QLatin1Char('i')) +
                         QString(60, QLatin1Char('d')) + QString(40, QLatin1Char('l')) + QString(10, QLatin1Char('9')) +
                         QString(40, QLatin1Char('p'));
    QCOMPARE(
        imports::importClients(f().m(), f().m().prompt(), f().write(QStringLiteral("w.txt"), line.toLatin1()), wide),
        1);
    QCOMPARE(clients(), QStringList{cuitFor(7) + "|" + QString(60, 'N') + "|" + QString(15, 'i') + "|" +
                                    QString(50, 'D') + "|" + QString(30, 'L') + "|999999|" + QString(30, 'P')});
}

void TestClientImport::lineTheTableCannotHoldIsSkipped()
{
    // UTF-8 with a Greek letter the tables cannot hold, among letters they can.
    const QByteArray content = fileOf({clientLine(cuitFor(8), "Ωmega"), clientLine(cuitFor(9), "Peña €")});
    const QString path = f().write(QStringLiteral("u.txt"), content);
    QCOMPARE(imports::importClients(f().m(), f().m().prompt(), path, ClientLayout), 1);
    QCOMPARE(f().rows(QStringLiteral("cliente"), QStringLiteral("Razon_Social")), QStringList{"PEñA €"});
}

void TestClientImport::unreadableFileLosesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("NUL bytes after good lines")
        << fileOf({clientLine(cuitFor(10), "Alfa"), clientLine(cuitFor(11), "Beta")}) + QByteArray("\0\0\n", 3) << true;
    QTest::newRow("gone before Cargar") << QByteArray() << false;
}

void TestClientImport::unreadableFileLosesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    f().addClient(cuitFor(1), QStringLiteral("ALFA"));
    const QStringList before = clients();
    const QString path = f().write(QStringLiteral("bad.txt"), content);
    if (!exists)
        QFile::remove(path);
    QVERIFY_THROWS_EXCEPTION(store::StoreError, imports::importClients(f().m(), f().m().prompt(), path, ClientLayout));
    QCOMPARE(clients(), before);
    QCOMPARE(f().prompt.texts(), QStringList{});  // no success is told before the error
}

// What is read is what was looked over: a register cut while the notice is open adds nothing.
void TestClientImport::fileCutWhileTheNoticeIsOpen()
{
    f().addClient(cuitFor(1), QStringLiteral("ALFA"));
    const QStringList before = clients();
    QStringList lines;
    for (int i = 10; i < 40; ++i)
        lines << clientLine(cuitFor(i), QStringLiteral("Cliente %1").arg(i));
    const QString path = f().write(QStringLiteral("padron.txt"), fileOf(lines));
    f().prompt.whileNextShown([&] { QVERIFY(QFile::resize(path, QFileInfo(path).size() / 2)); });
    try {
        imports::importClients(f().m(), f().m().prompt(), path, ClientLayout);
        QFAIL("the cut file was imported");
    } catch (const store::StoreError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("cambió mientras se lo cargaba")), qPrintable(e.text()));
    }
    QCOMPARE(clients(), before);
    QVERIFY2(!f().prompt.texts().contains(loaded(0)), qPrintable(f().prompt.texts().join(u'|')));
}

QTEST_GUILESS_MAIN(TestClientImport)
#include "tst_clientimport.moc"
