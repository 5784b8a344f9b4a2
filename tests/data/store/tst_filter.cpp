#include "SmallStore.h"

#include "data/store/Filter.h"

#include <QTest>

using namespace smallstore;
using store::Dataset;
using store::StoreError;

namespace {

// Five rows whose keys name them; nulls sit where the filters must tell them apart.
void fill(Dataset& ds)
{
    addRow(ds, {{"Clave", "a"}, {"Nombre", "ANA"}, {"Cant", 1}});
    addRow(ds, {{"Clave", "b"}, {"Nombre", "O'HARA"}, {"Anio", "2016"}, {"Anticipo", "03"}});
    addRow(ds,
           {{"Clave", "c"}, {"Nombre", "CARLOS"}, {"Anio", "2016"}, {"Anticipo", "04"}, {"Cant", 5}, {"Precio", 2.0}});
    addRow(ds, {{"Clave", "d"}, {"Anticipo", "03"}, {"Cant", 5}, {"Precio", 1.5}});
    addRow(ds, {{"Clave", "e"}, {"Nombre", "EVA"}, {"Anio", "2017"}, {"Cant", 7}, {"Fecha", "02/01/2024"}});
}

QString keys(const Dataset& ds) { return column(ds, QStringLiteral("Clave")).join(QString()); }

}  // namespace

class TestFilter : public QObject {
    Q_OBJECT
private slots:
    void selectsRows_data();
    void selectsRows();
    void badTextRefused_data();
    void badTextRefused();
    void viewKeepsWorkingAfterBadFilter();
};

void TestFilter::selectsRows_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("rows");
    QTest::newRow("no filter") << ""
                               << "abcde";
    QTest::newRow("open period") << "anio=null"
                                 << "ad";
    QTest::newRow("one period") << "anio='2016' and Anticipo='03'"
                                << "b";
    QTest::newRow("both null") << "anio=null and Anticipo=null"
                               << "a";
    QTest::newRow("names and words in any case, blanks") << "  ANIO = NULL AND anticipo=Null "
                                                         << "a";
    QTest::newRow("empty text is null") << "anio=''"
                                        << "ad";
    QTest::newRow("empty number is null") << "cant=''"
                                          << "b";
    QTest::newRow("<> true for null") << "anticipo<>'03'"
                                      << "ace";
    QTest::newRow("<> null") << "anio<>null"
                             << "bce";
    QTest::newRow("<> empty") << "anio<>''"
                              << "bce";
    QTest::newRow("doubled quote") << "nombre='O''HARA'"
                                   << "b";
    QTest::newRow("parentheses, or, not") << "(anio='2016' or anio='2017') and not anticipo='04'"
                                          << "be";
    QTest::newRow("not = agrees with <>") << "not (anio=null or cant=5)"
                                          << "be";
    QTest::newRow("number") << "cant=5"
                            << "cd";
    QTest::newRow("ranges") << "cant>1 and cant<7"
                            << "cd";
    QTest::newRow("ranges inclusive") << "cant>=7 or cant<=1"
                                      << "ae";
    QTest::newRow("decimal comma") << "precio=1,5"
                                   << "d";
    QTest::newRow("decimal point") << "precio>1.9"
                                   << "c";
    QTest::newRow("negative") << "cant=-1"
                              << "";
    QTest::newRow("date as typed") << "fecha='02/01/2024'"
                                   << "e";
    QTest::newRow("nested parentheses") << QString(20, QLatin1Char('(')) + "anio=null" + QString(20, QLatin1Char(')'))
                                        << "ad";
    QTest::newRow("not not") << "not not anio=null"
                             << "ad";
    QTest::newRow("many terms") << QStringLiteral("clave='x' or ").repeated(300) + "clave='c'"
                                << "c";
}

void TestFilter::selectsRows()
{
    QFETCH(QString, filter);
    QFETCH(QString, rows);
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.open();
    fill(ds);
    ds.setFilter(filter);
    ds.setFiltered(true);
    QCOMPARE(keys(ds), rows);
    // A second view opened with the filter already set agrees.
    Dataset other(&folder.session, QStringLiteral("T2"), QStringLiteral("registro"));
    other.setFilter(filter);
    other.setFiltered(true);
    other.open();
    QCOMPARE(keys(other), rows);
}

void TestFilter::badTextRefused_data()
{
    QTest::addColumn<QString>("filter");
    QTest::newRow("unknown field") << "anyo=null";
    QTest::newRow("dangling operator") << "anio=";
    QTest::newRow("dangling and") << "anio='2016' and";
    QTest::newRow("no operator") << "anio '2016'";
    QTest::newRow("unterminated quote") << "anio='2016";
    QTest::newRow("double quotes") << "anio=\"2016\"";
    QTest::newRow("unclosed parenthesis") << "(anio=null";
    QTest::newRow("stray parenthesis") << "anio=null)";
    QTest::newRow("lone not") << "not";
    QTest::newRow("statement after") << "anio='1' ; drop table registro";
    QTest::newRow("comment after") << "anio=null -- x";
    QTest::newRow("always true") << "anio='1' or 1=1";
    QTest::newRow("quote broken out") << "anio='1') or ('1'='1";
    QTest::newRow("text in number") << "cant='abc'";
    QTest::newRow("null with <") << "cant<null";
    QTest::newRow("==") << "cant==5";
    QTest::newRow("nesting past the limit")
        << QString(21, QLatin1Char('(')) + "anio=null" + QString(21, QLatin1Char(')'));
    QTest::newRow("deep nesting") << QString(100000, QLatin1Char('(')) + "anio=null" +
                                         QString(100000, QLatin1Char(')'));
    QTest::newRow("long not chain") << QStringLiteral("not ").repeated(100000) + "anio=null";
}

void TestFilter::badTextRefused()
{
    QFETCH(QString, filter);
    try {
        store::Filter::parse(filter, registroDef());
        QFAIL("the filter was accepted");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), int(store::BadFilter));
    }
}

void TestFilter::viewKeepsWorkingAfterBadFilter()
{
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.open();
    fill(ds);
    ds.setFilter(QStringLiteral("anio=null"));
    ds.setFiltered(true);
    ds.last();

    // One text the parser refuses, one that SQLite refuses (too many terms for its expression tree).
    for (const QString& bad : {QStringLiteral("anio='1' ; drop table registro"),
                               QStringLiteral("anio=null and ").repeated(1500) + QStringLiteral("anio=null")}) {
        QVERIFY_THROWS_EXCEPTION(StoreError, ds.setFilter(bad));
        QCOMPARE(ds.filter(), QStringLiteral("anio=null"));
        QCOMPARE(keys(ds), QStringLiteral("ad"));
        QCOMPARE(ds.text(QStringLiteral("Clave")), QStringLiteral("d"));
    }
    addRow(ds, {{"Clave", "f"}});
    QCOMPARE(keys(ds), QStringLiteral("adf"));

    // A bad text stored while unfiltered is refused when the filter is switched on.
    ds.setFiltered(false);
    ds.setFilter(QStringLiteral("anio=="));
    QVERIFY_THROWS_EXCEPTION(StoreError, ds.setFiltered(true));
    QVERIFY(!ds.filtered());
    QCOMPARE(ds.recordCount(), 6);

    // A view cannot open with it, and opens once it is mended.
    ds.close();
    ds.setFiltered(true);
    QVERIFY_THROWS_EXCEPTION(StoreError, ds.open());
    QVERIFY(!ds.active());
    ds.setFilter(QStringLiteral("anticipo='03'"));
    ds.open();
    QCOMPARE(keys(ds), QStringLiteral("bd"));
}

QTEST_GUILESS_MAIN(TestFilter)
#include "tst_filter.moc"
