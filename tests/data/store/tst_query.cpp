#include "SmallStore.h"

#include "data/store/Query.h"

#include <QTest>

using namespace smallstore;
using store::Dataset;
using store::Query;
using store::StoreError;

namespace {

QStringList rowsOf(Query& q, const QString& column)
{
    QStringList values;
    q.close();
    q.open();
    for (q.first(); !q.eof(); q.next())
        values << q.text(column);
    return values;
}

void fill(Dataset& ds)
{
    addRow(ds, {{"Clave", "a"}, {"Anticipo", "03"}});
    addRow(ds, {{"Clave", "b"}, {"Anio", "2016"}, {"Anticipo", "03"}, {"Nombre", "x.db"}});
    addRow(ds, {{"Clave", "c"}, {"Anio", "2017"}, {"Anticipo", "04"}});
}

}  // namespace

class TestQuery : public QObject {
    Q_OBJECT
private slots:
    void dialect_data();
    void dialect();
    void notEqualCountsNull();
    void parametersByFirstAppearance();
    void unsetParametersFromDataSource();
    void noTableFileIsAnError();
    void parametersFixedAtOpen();
};

void TestQuery::dialect_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("suffix dropped") << "select * from detalle.db"
                                    << "select * from detalle";
    QTest::newRow("any case") << "delete from Formularios.DB where x=1"
                              << "delete from Formularios where x=1";
    QTest::newRow("suffix in a literal kept") << "select 1 from t where n='a.db'"
                                              << "select 1 from t where n='a.db'";
    QTest::newRow("doubled quote in a literal") << "where n='it''s.db' and x in (select y from t.db)"
                                                << "where n='it''s.db' and x in (select y from t)";
    QTest::newRow("longer word kept") << "select t.dbase from t"
                                      << "select t.dbase from t";
    QTest::newRow("<> becomes IS NOT") << "where anulado<>'S'"
                                       << "where anulado IS NOT 'S'";
    QTest::newRow("<> in a literal kept") << "where n = 'a<>b'"
                                          << "where n = 'a<>b'";
}

void TestQuery::dialect()
{
    QFETCH(QString, text);
    QFETCH(QString, sqlite);
    QCOMPARE(Query::dialectToSqlite(text).simplified(), sqlite);
}

void TestQuery::notEqualCountsNull()
{
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.open();
    fill(ds);
    Query q(&folder.session, QStringLiteral("Q"),
            {QStringLiteral("select clave from registro.DB"), QStringLiteral("where anio<>'2016'"),
             QStringLiteral("and nombre<>'x.db'"), QStringLiteral("order by clave")});
    QCOMPARE(rowsOf(q, QStringLiteral("clave")), (QStringList{"a", "c"}));
}

void TestQuery::parametersByFirstAppearance()
{
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.open();
    fill(ds);
    Query q(&folder.session, QStringLiteral("Q"),
            {QStringLiteral("select clave from registro.db"),
             QStringLiteral("where (anticipo=:anticipo or :ANIO='todos') and nombre <> ':nada'"),
             QStringLiteral("and (anio=:anio or :anio='todos')"), QStringLiteral("order by clave")});
    QCOMPARE(q.paramCount(), 2);
    QCOMPARE(q.paramName(0), QStringLiteral("anticipo"));
    QCOMPARE(q.paramName(1), QStringLiteral("ANIO"));

    q.setParam(0, QStringLiteral("03"));
    q.setParam(1, QStringLiteral("2016"));
    QCOMPARE(rowsOf(q, QStringLiteral("clave")), QStringList{"b"});
    q.setParam(1, QStringLiteral("todos"));
    QCOMPARE(rowsOf(q, QStringLiteral("clave")), (QStringList{"a", "b", "c"}));
    q.setParam(1, QString());  // empty is null: it matches nothing
    QCOMPARE(rowsOf(q, QStringLiteral("clave")), QStringList{});

    QVERIFY_THROWS_EXCEPTION(StoreError, q.setParam(2, QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(StoreError, q.setParam(-1, QStringLiteral("x")));
}

void TestQuery::unsetParametersFromDataSource()
{
    Folder folder;
    Dataset source(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    Query q(&folder.session, QStringLiteral("Q"),
            {QStringLiteral("select count(*) n from registro.db where anio=:Anio and anticipo=:anticipo")});
    q.setDataSource(&source);
    QCOMPARE(rowsOf(q, QStringLiteral("n")), QStringList{"0"});  // inactive source: null

    source.open();
    fill(source);
    source.moveTo(1);
    QCOMPARE(rowsOf(q, QStringLiteral("n")), QStringList{"1"});  // 2016 / 03 from the current row
    q.setParam(1, QStringLiteral("04"));
    QCOMPARE(rowsOf(q, QStringLiteral("n")), QStringList{"0"});  // a set parameter wins
    source.moveTo(2);
    QCOMPARE(rowsOf(q, QStringLiteral("n")), QStringList{"1"});  // 2017 read at this open
    q.setParam(1, QStringLiteral("03"));
    QCOMPARE(rowsOf(q, QStringLiteral("n")), QStringList{"0"});
    q.clearParams();
    QCOMPARE(rowsOf(q, QStringLiteral("n")), QStringList{"1"});  // 2017 / 04 again
}

void TestQuery::noTableFileIsAnError()
{
    Folder folder;
    for (const store::TableDef& def : tables()) {
        QFile f(folder.file(def.fileName));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("no es una tabla");
    }
    Query select(&folder.session, QStringLiteral("Q"), {QStringLiteral("select * from registro.db")});
    Query update(&folder.session, QStringLiteral("U"), {QStringLiteral("update registro.db set anio='1'")});
    QVERIFY_THROWS_EXCEPTION(StoreError, select.open());
    QVERIFY(!select.active());
    QVERIFY_THROWS_EXCEPTION(StoreError, update.execSql());
    QCOMPARE(fileBytes(folder.file(QStringLiteral("registro.DB"))), QByteArray("no es una tabla"));
}

// The rows are read when first asked for, under the parameters and the source row of the open;
// a statement SQLite refuses fails at the open.
void TestQuery::parametersFixedAtOpen()
{
    Folder folder;
    Dataset source(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    source.open();
    fill(source);
    source.moveTo(1);  // 2016 / 03
    Query q(&folder.session, QStringLiteral("Q"),
            {QStringLiteral("select clave from registro.db where anio=:Anio and anticipo=:anticipo")});
    q.setDataSource(&source);
    q.open();
    QCOMPARE(q.columns(), QStringList{"Clave"});
    q.setParam(0, QStringLiteral("2017"));
    source.moveTo(2);
    QCOMPARE(q.recordCount(), 1);
    QCOMPARE(q.text(QStringLiteral("clave")), QStringLiteral("b"));

    Query wrong(&folder.session, QStringLiteral("W"), {QStringLiteral("select nada from registro.db")});
    QVERIFY_THROWS_EXCEPTION(StoreError, wrong.open());
    QVERIFY(!wrong.active());
}

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"
