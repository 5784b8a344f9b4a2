#include "PdfText.h"
#include "ReportFixture.h"
#include "ScriptedPrompt.h"
#include "declaration/DeclarationPage.h"
#include "declaration/windows/UReporte.h"

#include <QDate>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Paper millimetres of a point given in the coordinates of a band that starts at bandTop.
constexpr double Left = 10.0;
constexpr double HeaderTop = 10.0;
constexpr double FooterTop = 297.0 - 10.0 - 31.0;
constexpr double Tolerance = 0.4;  // mm

const QString Code = QStringLiteral("6853597572");

QString describe(const QList<PdfWord>& words)
{
    QStringList parts;
    for (const PdfWord& w : words)
        parts << QStringLiteral("p%1 (%2, %3)-(%4, %5)")
                     .arg(w.page)
                     .arg(w.left, 0, 'f', 2)
                     .arg(w.top, 0, 'f', 2)
                     .arg(w.right, 0, 'f', 2)
                     .arg(w.bottom, 0, 'f', 2);
    return parts.join(QStringLiteral("; "));
}

}  // namespace

class TestReporte : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void headerAndFooterPlaces_data();
    void headerAndFooterPlaces();
    void activityPairs_data();
    void activityPairs();
    void bodySections_data();
    void bodySections();
    void longListContinuesOnNextPage();
    void longValuesStayInTheirSpace();
    void copiesOfficeFirstThenAgent();
    void noPrinterPrintsNothingAndSaysNothing();
    void failingPrinterIsReported();

private:
    ReportFixture& fixture()
    {
        if (!m_fixture)  // made on first use: the table files cost a moment to create
            m_fixture = new ReportFixture;
        return *m_fixture;
    }
    PdfText render(const QString& name);
    static QStringList sectionOrder(const PdfText& pdf);

    QTemporaryDir m_dir;
    PdfText m_places;
    ReportFixture* m_fixture = nullptr;
    ScriptedPrompt* m_prompt = nullptr;
};

void TestReporte::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The page tests never reach a real printer: the print service address leads nowhere.
    qputenv("CUPS_SERVER", QFile::encodeName(m_dir.filePath(QStringLiteral("no-cups.sock"))));
}

void TestReporte::init()
{
    m_prompt = new ScriptedPrompt;
    QReporte = new TQReporte;
}

void TestReporte::cleanup()
{
    delete QReporte;
    QReporte = nullptr;
    delete m_fixture;
    m_fixture = nullptr;
    delete m_prompt;
    m_prompt = nullptr;
}

// One copy as the labels stand, read back from the PDF.
PdfText TestReporte::render(const QString& name)
{
    QString file = name;
    if (QTest::currentDataTag())
        file +=
            QLatin1Char('-') + QString::fromUtf8(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString path = m_dir.filePath(file + QStringLiteral(".pdf"));
    if (!QReporte->renderToPdf(path))
        return PdfText{{}, {}, QStringLiteral("renderToPdf failed")};
    // TARVENIO_PAGES_DIR keeps the rendered pages, to be looked at beside the layout.
    const QString keep = qEnvironmentVariable("TARVENIO_PAGES_DIR");
    if (!keep.isEmpty()) {
        QDir().mkpath(keep);
        QFile::remove(QDir(keep).filePath(file + QStringLiteral(".pdf")));
        QFile::copy(path, QDir(keep).filePath(file + QStringLiteral(".pdf")));
    }
    return PdfText::read(path);
}

// The section headings and lines in the order they stand on the pages.
QStringList TestReporte::sectionOrder(const PdfText& pdf)
{
    QList<PdfWord> marks;
    for (const PdfWord& w : pdf.words)
        if (w.top > HeaderTop + 89.7 && w.top < FooterTop)
            marks.append(w);
    std::stable_sort(marks.begin(), marks.end(), [](const PdfWord& a, const PdfWord& b) {
        return a.page != b.page ? a.page < b.page : a.top < b.top - 0.5;
    });
    QStringList order;
    for (const PdfWord& w : marks)
        if (((w.text == QLatin1String("Formularios") || w.text == QLatin1String("Maquinas")) && w.left < Left + 100) ||
            w.text.startsWith(QLatin1String("TIPO")) || w.text.startsWith(QLatin1String("MARCA")))
            order << w.text;
    return order;
}

void TestReporte::headerAndFooterPlaces_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<double>("x");  // band millimetres; the left edge, or the right edge when anchor is "right"
    QTest::addColumn<double>("y");  // band millimetres, the text's top
    QTest::addColumn<double>("bandTop");
    QTest::addColumn<QString>("anchor");

    const auto row = [](const char* tag, const QString& word, double x, double y, double bandTop,
                        const char* anchor = "left") {
        QTest::newRow(tag) << word << x << y << bandTop << QString::fromLatin1(anchor);
    };
    const double h = HeaderTop;
    const double body = HeaderTop + 89.7;  // the forms heading is the first body band
    row("copy label", QStringLiteral("Para"), 159.5, 1.6, h);
    row("stamp caption", QStringLiteral("Sello"), 159.8, 34.1, h);
    row("control code", Code, 124.4, 37.8, h);
    row("title", QStringLiteral("Declaración"), 67.7, 23.5, h);
    row("razon social", QStringLiteral("Razon"), 2.6, 44.2, h);
    row("nombre", QStringLiteral("IMPRENTA"), 26.5, 44.2, h);
    row("cuit label", QStringLiteral("C.U.I.T.:"), 2.4, 50.3, h);
    row("cuit", QStringLiteral("20123456786"), 17.2, 50.3, h);
    row("inscripcion label", QStringLiteral("N°"), 98.4, 50.5, h);
    row("inscripcion", QStringLiteral("901-234567-8"), 130.2, 50.3, h);
    row("domicilio label", QStringLiteral("Domicilio:"), 3.4, 62.7, h);
    row("domicilio", QStringLiteral("SAN"), 24.6, 62.4, h);
    row("cp label", QStringLiteral("C.P.:"), 98.7, 63.2, h);
    row("cp", QStringLiteral("5400"), 108.5, 63.2, h);
    row("localidad label", QStringLiteral("Localidad:"), 3.4, 68.8, h);
    row("localidad", QStringLiteral("VILLA"), 24.6, 68.8, h);
    row("provincia label", QStringLiteral("Provincia:"), 98.7, 68.8, h);
    row("provincia", QStringLiteral("CENTRO"), 116.7, 68.8, h);
    row("anio label", QStringLiteral("Año:"), 4.2, 75.9, h);
    row("anio", QStringLiteral("2024"), 12.7, 75.9, h);
    row("anticipo label", QStringLiteral("Anticipo:"), 36.0, 75.9, h);
    row("anticipo", QStringLiteral("05"), 50.8, 75.9, h);
    row("rec label", QStringLiteral("Rec:"), 82.5, 75.7, h);
    row("rec", QStringLiteral("0"), 93.1, 75.7, h);
    row("fecha label", QStringLiteral("Fecha:"), 137.6, 75.9, h);
    row("fecha", QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")), 150.3, 75.9, h);
    row("forms heading", QStringLiteral("Formularios"), 75.7, 1.1, body);
    row("form type column", QStringLiteral("Tipo"), 4.0, 5.8, body);
    row("count column", QStringLiteral("Cantidad"), 130.4, 5.6, body);
    row("form type", QStringLiteral("TIPOA"), 2.9, 0.3, body + 11.4);
    row("form count", QStringLiteral("25"), 151.1, 0.0, body + 11.4, "right");
    row("machines heading", QStringLiteral("Maquinas"), 76.7, 1.9, body + 11.4 + 5.0);
    row("brand column", QStringLiteral("Marca"), 3.2, 6.6, body + 11.4 + 5.0);
    row("model column", QStringLiteral("Modelo"), 142.3, 6.3, body + 11.4 + 5.0);
    row("brand", QStringLiteral("MARCAX"), 3.4, 0.5, body + 11.4 + 5.0 + 12.4);
    row("statement", QStringLiteral("El"), 2.4, 6.1, FooterTop);
}

void TestReporte::headerAndFooterPlaces()
{
    QFETCH(QString, word);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, bandTop);
    QFETCH(QString, anchor);

    // One page for every row of the table.
    if (m_places.words.isEmpty()) {
        fixture().agent(QStringLiteral("SSS"));
        fixture().period();
        fixture().form(QStringLiteral("TIPOA"), 25);
        fixture().machine(QStringLiteral("MARCAX"), QStringLiteral("MODELOX"));
        fixture().prepare();
        QCOMPARE(QReporte->ImprimirDeclaracion(Code), 0);  // labels set; no printer here
        QReporte->QRLabel5 = TQReporte::OfficeCopy;
        m_places = render(QStringLiteral("places"));
        QVERIFY2(m_places.error.isEmpty(), qPrintable(m_places.error));
    }

    // The word on the line where it is expected (some words stand elsewhere too).
    QList<PdfWord> found;
    for (const PdfWord& w : m_places.find(word))
        if (qAbs(w.top - (bandTop + y)) < 3.0)
            found.append(w);
    QVERIFY2(found.size() == 1, qPrintable(word + QStringLiteral(": ") + describe(found)));
    const PdfWord& w = found.first();
    const double edge = anchor == QLatin1String("right") ? w.right : w.left;
    QVERIFY2(qAbs(edge - (Left + x)) < Tolerance && qAbs(w.top - (bandTop + y)) < Tolerance,
             qPrintable(QStringLiteral("%1 expected at (%2, %3): %4")
                            .arg(word)
                            .arg(Left + x)
                            .arg(bandTop + y)
                            .arg(describe(found))));
}

void TestReporte::activityPairs_data()
{
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QStringList>("names");  // the name shown for each activity, empty when blank

    const QString imprenta = QStringLiteral("Imprenta");
    const QString vmr = QStringLiteral("Venta de Maquinas Registradoras");
    const QString auto_ = QStringLiteral("Autoimpresores");
    QTest::newRow("all three") << "SSS" << QStringList{imprenta, vmr, auto_};
    QTest::newRow("only VMR") << "NSN" << QStringList{{}, vmr, {}};
    QTest::newRow("printing shop and self-printer") << "SNS" << QStringList{imprenta, {}, auto_};
    // Only an exact "S" counts.
    QTest::newRow("lower-case and empty flags") << "s S" << QStringList{{}, {}, auto_};
}

void TestReporte::activityPairs()
{
    QFETCH(QString, flags);
    QFETCH(QStringList, names);

    fixture().agent(flags);
    fixture().period();
    fixture().prepare();
    QReporte->ImprimirDeclaracion(Code);
    const PdfText pdf = render(QStringLiteral("activities"));
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));

    // Where each pair stands: "Rubro:" left and top, then the name's.
    const double places[3][4] = {{2.1, 55.6, 15.3, 55.8}, {63.5, 56.4, 77.0, 56.1}, {146.6, 55.8, 159.8, 55.8}};
    QList<PdfWord> rubros = pdf.find(QStringLiteral("Rubro:"));
    for (int i = 0; i < 3; ++i) {
        const auto near = [&](const PdfWord& w, double x, double y) {
            return qAbs(w.left - (Left + x)) < Tolerance && qAbs(w.top - (HeaderTop + y)) < Tolerance;
        };
        const auto rubro = std::find_if(rubros.begin(), rubros.end(),
                                        [&](const PdfWord& w) { return near(w, places[i][0], places[i][1]); });
        QCOMPARE(rubro != rubros.end(), !names[i].isEmpty());
        if (rubro != rubros.end())
            rubros.erase(rubro);
        if (!names[i].isEmpty()) {
            const QList<PdfWord> first = pdf.find(names[i].section(QLatin1Char(' '), 0, 0));
            QVERIFY2(first.size() == 1 && near(first.first(), places[i][2], places[i][3]),
                     qPrintable(names[i] + QStringLiteral(": ") + describe(first)));
            QVERIFY2(pdf.pages.first().contains(QStringLiteral("Rubro: ") + names[i]), qPrintable(pdf.pages.first()));
        }
    }
    QVERIFY2(rubros.isEmpty(), qPrintable(describe(rubros)));  // no pair where the flag is off
    const QString firstWords[3] = {QStringLiteral("Imprenta"), QStringLiteral("Venta"),
                                   QStringLiteral("Autoimpresores")};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(pdf.find(firstWords[i]).size(), names[i].isEmpty() ? 0 : 1);
}

void TestReporte::bodySections_data()
{
    QTest::addColumn<int>("forms");
    QTest::addColumn<int>("machines");
    QTest::addColumn<QStringList>("order");

    QTest::newRow("forms and machines") << 2 << 2
                                        << QStringList{"Formularios", "TIPO1", "TIPO2", "Maquinas", "MARCA1", "MARCA2"};
    QTest::newRow("forms without machines") << 2 << 0 << QStringList{"Formularios", "TIPO1", "TIPO2", "Maquinas"};
    QTest::newRow("machines without forms") << 0 << 2 << QStringList{"Maquinas", "MARCA1", "MARCA2"};
    QTest::newRow("no rows at all") << 0 << 0 << QStringList{"Maquinas"};
}

void TestReporte::bodySections()
{
    QFETCH(int, forms);
    QFETCH(int, machines);
    QFETCH(QStringList, order);

    fixture().agent(QStringLiteral("SSS"));
    fixture().period();
    for (int i = 1; i <= forms; ++i)
        fixture().form(QStringLiteral("TIPO%1").arg(i), 10 * i);
    for (int i = 1; i <= machines; ++i)
        fixture().machine(QStringLiteral("MARCA%1").arg(i), QStringLiteral("MODELO%1").arg(i));
    // Voided rows and a total of nothing are left out.
    fixture().form(QStringLiteral("TIPOANULADO"), 5, QStringLiteral("S"));
    fixture().machine(QStringLiteral("MARCAANULADA"), QStringLiteral("M"), QStringLiteral("S"));
    fixture().form(QStringLiteral("TIPOCERO"), 0);
    fixture().prepare();
    QReporte->ImprimirDeclaracion(Code);
    const PdfText pdf = render(QStringLiteral("sections"));
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));

    QCOMPARE(pdf.pageCount(), 1);
    QCOMPARE(sectionOrder(pdf), order);
    for (int i = 1; i <= forms; ++i) {
        // The total sits on its form type's line.
        const QList<PdfWord> type = pdf.find(QStringLiteral("TIPO%1").arg(i));
        const QList<PdfWord> count = pdf.find(QString::number(10 * i));
        QVERIFY(type.size() == 1 && count.size() == 1);
        QVERIFY2(qAbs(count.first().top - type.first().top) < 0.6, qPrintable(describe(type + count)));
    }
    for (int i = 1; i <= machines; ++i) {
        const QList<PdfWord> model = pdf.find(QStringLiteral("MODELO%1").arg(i));
        QVERIFY(model.size() == 1);
        QVERIFY2(qAbs((model.first().left + model.first().right) / 2 - (Left + 148.2)) < Tolerance,
                 qPrintable(describe(model)));
    }
    // Every page has its header and its footer.
    QCOMPARE(pdf.find(Code).size(), 1);
    QVERIFY(pdf.pages.first().contains(QStringLiteral("Se acepta con reserva al solo efecto formal")));
}

void TestReporte::longListContinuesOnNextPage()
{
    constexpr int Forms = 40;
    constexpr int Machines = 12;
    fixture().agent(QStringLiteral("SSS"));
    fixture().period();
    for (int i = 1; i <= Forms; ++i)
        fixture().form(QStringLiteral("TIPO%1").arg(i, 2, 10, QLatin1Char('0')), i);
    for (int i = 1; i <= Machines; ++i)
        fixture().machine(QStringLiteral("MARCA%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("M%1").arg(i));
    fixture().prepare();
    QReporte->ImprimirDeclaracion(Code);
    const PdfText pdf = render(QStringLiteral("long"));
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));

    QCOMPARE(pdf.pageCount(), 2);
    for (int page = 1; page <= 2; ++page) {
        QCOMPARE(pdf.find(Code, page).size(), 1);
        QCOMPARE(pdf.find(QStringLiteral("Para"), page).size(), 1);
        QCOMPARE(pdf.find(QStringLiteral("Sello"), page).size(), 1);
        QVERIFY(pdf.pages[page - 1].contains(QStringLiteral("Se acepta con reserva al solo efecto formal")));
    }
    // Every line once, in order, none running into the footer; each heading once.
    QStringList expected{QStringLiteral("Formularios")};
    for (int i = 1; i <= Forms; ++i)
        expected << QStringLiteral("TIPO%1").arg(i, 2, 10, QLatin1Char('0'));
    expected << QStringLiteral("Maquinas");
    for (int i = 1; i <= Machines; ++i)
        expected << QStringLiteral("MARCA%1").arg(i, 2, 10, QLatin1Char('0'));
    QCOMPARE(sectionOrder(pdf), expected);
    for (const PdfWord& w : pdf.words)
        if (w.text.startsWith(QLatin1String("TIPO")) || w.text.startsWith(QLatin1String("MARCA")))
            QVERIFY2(w.bottom < FooterTop, qPrintable(w.text + QStringLiteral(" ") + describe({w})));
    QCOMPARE(pdf.find(QStringLiteral("TIPO01")).first().page, 1);
    QCOMPARE(pdf.find(QStringLiteral("MARCA%1").arg(Machines)).first().page, 2);
}

void TestReporte::longValuesStayInTheirSpace()
{
    // Fields at their full width must not run into the next label or off the band.
    fixture().agent(QStringLiteral("SSS"), QString(50, QLatin1Char('W')));
    fixture().period();
    fixture().form(QStringLiteral("F") + QString(59, QLatin1Char('W')), 123456);
    fixture().machine(QStringLiteral("B") + QString(59, QLatin1Char('W')),
                      QStringLiteral("M") + QString(59, QLatin1Char('W')));
    fixture().prepare();
    QReporte->ImprimirDeclaracion(Code);
    const PdfText pdf = render(QStringLiteral("wide"));
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));

    const auto one = [&pdf](const QString& text) {
        const QList<PdfWord> found = pdf.find(text);
        return found.size() == 1 ? found.first() : PdfWord{};
    };
    const PdfWord domicilio = one(QString(50, QLatin1Char('W')));
    QVERIFY2(qAbs(domicilio.left - (Left + 24.6)) < Tolerance && domicilio.right < Left + 98.7,
             qPrintable(describe({domicilio})));
    const PdfWord type = one(QStringLiteral("F") + QString(59, QLatin1Char('W')));
    const PdfWord count = one(QStringLiteral("123456"));
    QVERIFY2(type.right < count.left && qAbs(count.right - (Left + 151.1)) < Tolerance,
             qPrintable(describe({type, count})));
    const PdfWord brand = one(QStringLiteral("B") + QString(59, QLatin1Char('W')));
    const PdfWord model = one(QStringLiteral("M") + QString(59, QLatin1Char('W')));
    QVERIFY2(brand.right < model.left && model.right <= Left + 188.6 + Tolerance, qPrintable(describe({brand, model})));
}

void TestReporte::copiesOfficeFirstThenAgent()
{
    fixture().agent(QStringLiteral("NSN"));
    fixture().period(2);
    fixture().machine(QStringLiteral("MARCA1"), QStringLiteral("MODELO1"));
    fixture().prepare();
    QStringList jobs;
    QReporte->setPrinterFactory([this, &jobs](const QString& jobName) -> std::unique_ptr<QPagedPaintDevice> {
        jobs << jobName;
        return std::make_unique<QPdfWriter>(m_dir.filePath(QStringLiteral("copy%1.pdf").arg(jobs.size())));
    });

    // Two filings in one run: each prints the office copy, then the agent's.
    QCOMPARE(QReporte->ImprimirDeclaracion(Code), 2);
    QCOMPARE(QReporte->ImprimirDeclaracion(QStringLiteral("6852533370")), 2);
    QCOMPARE(jobs.size(), 4);
    const QStringList labels{TQReporte::OfficeCopy, TQReporte::AgentCopy, TQReporte::OfficeCopy, TQReporte::AgentCopy};
    const QStringList codes{Code, Code, QStringLiteral("6852533370"), QStringLiteral("6852533370")};
    for (int i = 0; i < 4; ++i) {
        const PdfText pdf = PdfText::read(m_dir.filePath(QStringLiteral("copy%1.pdf").arg(i + 1)));
        QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
        QCOMPARE(pdf.pageCount(), 1);
        QVERIFY2(pdf.pages.first().contains(labels[i]), qPrintable(pdf.pages.first()));
        QVERIFY(!pdf.pages.first().contains(labels[(i + 1) % 2]));
        QCOMPARE(pdf.find(codes[i]).size(), 1);
        QVERIFY(pdf.pages.first().contains(QStringLiteral("Rec: 2")));
        QVERIFY(jobs[i].contains(labels[i]));
    }
    QCOMPARE(QReporte->QRLabel5, TQReporte::AgentCopy);
    QVERIFY(m_prompt->shown().isEmpty());
}

void TestReporte::noPrinterPrintsNothingAndSaysNothing()
{
    fixture().agent(QStringLiteral("SNN"));
    fixture().period();
    fixture().prepare();
    const QStringList before = QDir::current().entryList(QDir::Files);

    QCOMPARE(QReporte->ImprimirDeclaracion(Code), 0);
    QCOMPARE(QReporte->ImprimirDeclaracion(Code), 0);
    QVERIFY(m_prompt->shown().isEmpty());
    QCOMPARE(QDir::current().entryList(QDir::Files), before);  // no print-to-file fallback either
    // The labels are set all the same, for a later print.
    QCOMPARE(QReporte->QRLabel22, Code);
    QCOMPARE(QReporte->QRLabel25, QStringLiteral("Imprenta"));
    QCOMPARE(QReporte->QRLabel28, QStringLiteral("Rubro:"));
    QCOMPARE(QReporte->QRLabel26, QString());
    QCOMPARE(QReporte->QRLabel29, QString());
}

void TestReporte::failingPrinterIsReported()
{
    fixture().agent(QStringLiteral("SSS"));
    fixture().period();
    fixture().prepare();
    int opened = 0;
    QReporte->setPrinterFactory([this, &opened](const QString&) -> std::unique_ptr<QPagedPaintDevice> {
        ++opened;
        return std::make_unique<QPdfWriter>(m_dir.filePath(QStringLiteral("missing/folder/copy.pdf")));
    });

    QCOMPARE(QReporte->ImprimirDeclaracion(Code), 0);
    QCOMPARE(opened, 1);  // the agent copy is not tried on a printer that just failed
    QCOMPARE(m_prompt->texts(),
             QStringList{QStringLiteral("No se pudo imprimir la declaración jurada (Para la D.R.P.).")});
}

QTEST_MAIN(TestReporte)
#include "tst_reporte.moc"
