#include "DataFolder.h"
#include "GoldenDeclarations.h"
#include "SampleRows.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "data/store/StoreError.h"
#include "data/text/FixedFormats.h"
#include "declaration/DeclarationFile.h"
#include "declaration/PeriodFiling.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QTest>

#include <sys/resource.h>
#include <csignal>
#include <optional>

using fixture::addAgent;
using fixture::addClient;
using fixture::addDetail;
using fixture::addMachine;
using fixture::addPeriod;
using fixture::AgentCuit;
using fixture::setPeriodFilter;
using store::Dataset;

namespace {

enum class Scenario { PeriodWithRows, FiledPeriod, EmptyPeriod, EmptyRegister };

const QString OpenPeriod = QStringLiteral("anio=null and Anticipo=null");
const QString Success = QStringLiteral("La Presentación Fue Generada con Exito");

// The period 2005/03 as the clerk types it into the generate form, not yet stored: the filing
// stores it.
void typeOpenPeriod(TDModulo& m)
{
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2005"));
    m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("3"));
    setPeriodFilter(m, OpenPeriod);
}

// The agent, three clients (entered out of C.U.I.T. order), a printed-forms row filed in
// 2005/02 and, unless the period is to stay empty, rows of the open period.
void fill(TDModulo& m, Scenario scenario)
{
    addAgent(m);
    if (scenario == Scenario::EmptyRegister) {
        typeOpenPeriod(m);
        return;
    }
    const int sur = addClient(m, QStringLiteral("30712345671"), QStringLiteral("Distribuidora Sur"),
                              {QStringLiteral("901-000001-1"), QStringLiteral("Belgrano 55"),
                               QStringLiteral("Santa Fe"), QStringLiteral("3000"), QStringLiteral("Santa Fe")});
    const int obrien = addClient(m, QStringLiteral("27301112225"), QStringLiteral("O'Brien Hnos."));
    const int centro = addClient(m, QStringLiteral("30500010912"), QStringLiteral("Imprenta del Centro"),
                                 {{}, {}, QStringLiteral("Rosario")});
    addDetail(m, centro, QStringLiteral("01/02/2005"), QStringLiteral("Tickets"), 1, 50, QStringLiteral("0003"),
              QStringLiteral("N"), QStringLiteral("S"), QStringLiteral("2005"), QStringLiteral("02"));
    if (scenario != Scenario::EmptyPeriod) {
        addDetail(m, sur, QStringLiteral("15/03/2005"), QStringLiteral("Facturas A"), 1, 500, QStringLiteral("0001"),
                  QStringLiteral("N"), QStringLiteral("N"));
        addDetail(m, obrien, QStringLiteral("16/03/2005"), QStringLiteral("Remitos R"), 1501, 1600,
                  QStringLiteral("0002"), QStringLiteral("S"), QString());
        addMachine(m, obrien, QDate(2005, 3, 10), QStringLiteral("RX-200"), 1500, QStringLiteral("ABC123"),
                   QStringLiteral("0002"), QStringLiteral("S-0001"), QString());
        addMachine(m, sur, QDate(2005, 3, 11), QStringLiteral("RX-300"), 1234.56, QStringLiteral("XYZ9"),
                   QStringLiteral("0003"), QStringLiteral("S-0002"), QStringLiteral("S"));
    }
    if (scenario == Scenario::FiledPeriod) {
        addPeriod(m, QStringLiteral("2005"), QStringLiteral("02"), 1.0);
        setPeriodFilter(m, QStringLiteral("anio='2005' and Anticipo='02'"));
    } else {
        typeOpenPeriod(m);
    }
}

// Files the period of the scenario into destino as the program does: the open period, or the
// filed one re-issued.
filing::Outcome fileScenario(TDModulo& m, Prompt& prompt, Scenario scenario, const QString& destino)
{
    return scenario == Scenario::FiledPeriod ? filing::fileFiledPeriod(m, prompt, destino, false)
                                             : filing::fileOpenPeriod(m, prompt, destino);
}

QString codeOfCurrentPeriod(TDModulo& m)
{
    return CodigoControl(m.TAnticipos->text(QStringLiteral("Anio")), m.TAnticipos->text(QStringLiteral("Anticipo")),
                         AgentCuit);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
}

// Lowers the largest file this process may write, so that writes fail part-way as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

}  // namespace

class TestDeclarationFile : public QObject {
    Q_OBJECT
private slots:
    void wholeFile_data();
    void wholeFile();
    void destination_data();
    void destination();
    void failureLeavesEarlierFile_data();
    void failureLeavesEarlierFile();
    void codigoControl_data();
    void codigoControl();
    void encriptar_data();
    void encriptar();
    void numberForm_data();
    void numberForm();
};

void TestDeclarationFile::wholeFile_data()
{
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("expected");

    // Rows of another period are left out (see fill); the rest is told beside the files.
    const Scenario scenarios[] = {Scenario::PeriodWithRows, Scenario::FiledPeriod, Scenario::EmptyPeriod,
                                  Scenario::EmptyRegister};
    const QList<golden::File> files = golden::files();
    for (int i = 0; i < files.size(); ++i)
        QTest::newRow(files[i].scenario) << scenarios[i] << files[i].fileName << files[i].bytes;
}

void TestDeclarationFile::wholeFile()
{
    QFETCH(Scenario, scenario);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, expected);

    DataFolder folder;
    TDModulo& m = folder.modulo();
    fill(m, scenario);
    const QString out = folder.file(QStringLiteral("salida"));
    QVERIFY(QDir().mkpath(out));
    // An earlier, longer file of the same name is replaced, not overwritten in place.
    QFile earlier(out + QLatin1Char('/') + fileName);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write(QByteArray(4096, 'x'));
    earlier.close();

    ScriptedPrompt prompt;
    const filing::Outcome outcome = fileScenario(m, prompt, scenario, out);

    QCOMPARE(prompt.texts(), QStringList{Success});
    QCOMPARE(outcome.result, filing::Result::Filed);
    QCOMPARE(outcome.codigo, codeOfCurrentPeriod(m));
    const QString path = outcome.path;
    QCOMPARE(path, out + QLatin1Char('/') + fileName);
    QCOMPARE(readAll(path), expected);
    QCOMPARE(entries(out), QStringList{fileName});
    // The views were walked to their end and show the period filed.
    for (Dataset* view : {m.TVerDetalles, m.TVerMaquinas, m.TCliente})
        QVERIFY2(view->eof(), qPrintable(view->name()));
    QCOMPARE(m.TVerDetalles->filter(),
             scenario == Scenario::FiledPeriod ? QStringLiteral("anio='2005' and Anticipo='02'") : OpenPeriod);
}

void TestDeclarationFile::destination_data()
{
    QTest::addColumn<QString>("destino");
    QTest::addColumn<QString>("expected");  // %OUT%: a folder of the test, %A%: the folder of drive A:

    const QString name = QStringLiteral("/20123456786200503.imp");
    QTest::newRow("folder") << QStringLiteral("%OUT%/DECLARAC") << QStringLiteral("%OUT%/DECLARAC") + name;
    QTest::newRow("folder ending in a separator")
        << QStringLiteral("%OUT%/DECLARAC/") << QStringLiteral("%OUT%/DECLARAC") + name;
    QTest::newRow("A:\\DECLARAC goes to the root of A:")
        << QStringLiteral("A:\\DECLARAC") << QStringLiteral("%A%") + name;
    QTest::newRow("A: alone") << QStringLiteral("A:") << QStringLiteral("%A%") + name;
    // Lower case is no drive: an ordinary folder, here relative to the working folder %OUT%.
    QTest::newRow("a: is a folder") << QStringLiteral("a:/DECLARAC") << QStringLiteral("%OUT%/a:/DECLARAC") + name;
}

void TestDeclarationFile::destination()
{
    QFETCH(QString, destino);
    QFETCH(QString, expected);

    DataFolder folder;
    TDModulo& m = folder.modulo();
    fill(m, Scenario::EmptyRegister);
    const QString out = folder.file(QStringLiteral("salida"));
    const QString driveA = folder.file(QStringLiteral("disquete"));
    for (const QString& sub : {out + QStringLiteral("/DECLARAC"), out + QStringLiteral("/a:/DECLARAC"),
                               driveA + QStringLiteral("/DECLARAC")})
        QVERIFY(QDir().mkpath(sub));
    {
        QSettings settings(folder.config().filePath(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Drives/A"), driveA);
    }
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(out));
    const auto restore = qScopeGuard([&] { QDir::setCurrent(before); });

    destino.replace(QStringLiteral("%OUT%"), out);
    expected.replace(QStringLiteral("%OUT%"), out).replace(QStringLiteral("%A%"), driveA);
    ScriptedPrompt prompt;
    const filing::Outcome outcome = filing::fileOpenPeriod(m, prompt, destino);

    QCOMPARE(outcome.result, filing::Result::Filed);
    const QString path = outcome.path;
    QCOMPARE(prompt.last().text, Success);
    QCOMPARE(QFileInfo(path).absoluteFilePath(), expected);
    QVERIFY2(!path.contains(QStringLiteral("//")), qPrintable(path));
    QVERIFY(readAll(expected).endsWith("Eof\r\n"));
    // Written once, in one place.
    int copies = 0;
    for (const QString& dir : {out + QStringLiteral("/DECLARAC"), out + QStringLiteral("/a:/DECLARAC"), driveA,
                               driveA + QStringLiteral("/DECLARAC")})
        copies += entries(dir).count(QStringLiteral("20123456786200503.imp"));
    QCOMPARE(copies, 1);
}

void TestDeclarationFile::failureLeavesEarlierFile_data()
{
    QTest::addColumn<bool>("filing");      // false: the file writer alone, for a stop the filing cannot reach
    QTest::addColumn<QString>("destino");  // %OUT%: the folder that holds the earlier file
    QTest::addColumn<QString>("codigo");   // empty: the period's own
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<bool>("unfitText");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    // The lowered limit would stop the tables' own writes before the declaration's.
    QTest::newRow("disk full part-way") << false << QStringLiteral("%OUT%") << QString() << true << false
                                        << int(store::FileError) << QStringLiteral("No se puede escribir el archivo");
    QTest::newRow("folder missing") << true << QStringLiteral("%OUT%/no-existe") << QString() << false << false
                                    << int(store::FileError) << QStringLiteral("No se puede crear el archivo");
    // The filing asks for the drive to be set up before it writes anything.
    QTest::newRow("no folder for drive A:") << false << QStringLiteral("A:\\") << QString() << false << false
                                            << int(store::FileError) << QStringLiteral("unidad A");
    // The filing makes the code from the stored period, which is always decimal.
    QTest::newRow("control code not decimal")
        << false << QStringLiteral("%OUT%") << QStringLiteral("68535975x2") << false << false
        << int(store::ConversionError) << QStringLiteral("'x2' no es un número entero válido.");
    // A text the store would refuse, put into the table file by other means, is not written as '?'
    // (the filing's check names it before the writer is reached).
    QTest::newRow("text the file cannot hold") << false << QStringLiteral("%OUT%") << QString() << false << true
                                               << int(store::ConversionError) << QStringLiteral("'Ωmega Hnos.'");
}

void TestDeclarationFile::failureLeavesEarlierFile()
{
    QFETCH(bool, filing);
    QFETCH(QString, destino);
    QFETCH(QString, codigo);
    QFETCH(bool, diskFull);
    QFETCH(bool, unfitText);
    QFETCH(int, code);
    QFETCH(QString, message);

    DataFolder folder;
    TDModulo& m = folder.modulo();
    fill(m, Scenario::PeriodWithRows);
    if (unfitText)
        m.Session1_1->database().exec(
            QStringLiteral("UPDATE cliente.cliente SET Razon_Social = 'Ωmega Hnos.' WHERE Cuit = '30500010912'"));
    const QString out = folder.file(QStringLiteral("salida"));
    QVERIFY(QDir().mkpath(out));
    const QString target = out + QStringLiteral("/20123456786200503.imp");
    QFile earlier(target);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("declaración anterior\r\n");
    earlier.close();
    destino.replace(QStringLiteral("%OUT%"), out);
    if (codigo.isEmpty())  // the period's as it will be stored
        codigo = CodigoControl(QStringLiteral("2005"), QStringLiteral("03"), AgentCuit);

    ScriptedPrompt prompt;
    try {
        std::optional<FileSizeLimit> limit;
        if (diskFull)
            limit.emplace(600);  // about half the file
        if (filing) {
            const filing::Outcome outcome = filing::fileOpenPeriod(m, prompt, destino);
            QFAIL(qPrintable(QStringLiteral("the filing ended with %1: %2")
                                 .arg(int(outcome.result))
                                 .arg(prompt.texts().join(QStringLiteral(" / ")))));
        }
        writeDeclarationFile(m, declarationTarget(m, destino), codigo);
        QFAIL("the file was written");
    } catch (const store::StoreError& e) {
        QCOMPARE(e.code(), code);
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
    QCOMPARE(entries(out), QStringList{QStringLiteral("20123456786200503.imp")});
    QCOMPARE(readAll(target), QByteArray("declaración anterior\r\n"));
}

void TestDeclarationFile::codigoControl_data()
{
    QTest::addColumn<QString>("anio");
    QTest::addColumn<QString>("anticipo");
    QTest::addColumn<QString>("cuit");
    QTest::addColumn<QString>("expected");  // or the piece named by the conversion error

    QTest::newRow("2005/11, 2791") << "2005"
                                   << "11"
                                   << "27910000000"
                                   << "6853597572";
    QTest::newRow("2004/05, 3370") << "2004"
                                   << "05"
                                   << "33700000007"
                                   << "6852533370";
    // 80 and 33 stay; 81 and above lose 19; 32 and below gain 48.
    QTest::newRow("bounds") << "8081"
                            << "32"
                            << "33990000000"
                            << "8062803380";
    QTest::newRow("zeros") << "0000"
                           << "00"
                           << "00000000000"
                           << "4848484848";
    QTest::newRow("letter in the year") << "2O05"
                                        << "11"
                                        << "27910000000"
                                        << "'2O'";
    QTest::newRow("blank in the anticipo") << "2005"
                                           << " 7"
                                           << "27910000000"
                                           << "' 7'";
}

void TestDeclarationFile::codigoControl()
{
    QFETCH(QString, anio);
    QFETCH(QString, anticipo);
    QFETCH(QString, cuit);
    QFETCH(QString, expected);

    if (!expected.startsWith(QLatin1Char('\''))) {
        QCOMPARE(CodigoControl(anio, anticipo, cuit), expected);
        return;
    }
    try {
        CodigoControl(anio, anticipo, cuit);
        QFAIL("no conversion error");
    } catch (const store::StoreError& e) {
        QCOMPARE(e.code(), int(store::ConversionError));
        QCOMPARE(e.text(), expected + QStringLiteral(" no es un número entero válido."));
    }
}

void TestDeclarationFile::encriptar_data()
{
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QByteArray>("expected");

    // Offsets 7, 3, 9, 1, 5.
    QTest::newRow("6853597572") << "6853597572" << QByteArray("K8DLM");
    QTest::newRow("6852533370") << "6852533370" << QByteArray("K7>\"K");
    QTest::newRow("lowest pieces") << "3333333333" << QByteArray("($*\"&");
    QTest::newRow("highest pieces") << "8080808080" << QByteArray("WSYQU");
}

void TestDeclarationFile::encriptar()
{
    QFETCH(QString, codigo);
    QFETCH(QByteArray, expected);
    QCOMPARE(Encriptar(codigo), expected);
}

void TestDeclarationFile::numberForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("whole") << 1500.0 << "1500";
    QTest::newRow("cents") << 1234.56 << "1234,56";
    QTest::newRow("no trailing zeros") << 1500.50 << "1500,5";
    QTest::newRow("negative") << -2.25 << "-2,25";
    QTest::newRow("binary noise rounded away") << 0.1 + 0.2 << "0,3";
    QTest::newRow("15 significant digits") << 123456789012.345678 << "123456789012,346";
    QTest::newRow("a third") << 1.0 / 3 << "0,333333333333333";
    QTest::newRow("15 integer digits") << 999999999999999.0 << "999999999999999";
    QTest::newRow("16 integer digits") << 1e15 << "1E15";
    QTest::newRow("rounds up to 16 digits") << 999999999999999.9 << "1E15";
    QTest::newRow("large with decimals") << 1.5e20 << "1,5E20";
    QTest::newRow("0.00001 stays plain") << 0.00001 << "0,00001";
    QTest::newRow("small with digits") << 0.000012345 << "0,000012345";
    QTest::newRow("below 0.00001") << 0.0000099 << "9,9E-6";
    QTest::newRow("negative small") << -0.000001 << "-1E-6";
}

void TestDeclarationFile::numberForm()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(store::formats::number(value), expected);
}

QTEST_GUILESS_MAIN(TestDeclarationFile)
#include "tst_declarationfile.moc"
