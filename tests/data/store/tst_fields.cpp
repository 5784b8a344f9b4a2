#include "SmallStore.h"

#include <QTest>
#include <cmath>

using namespace smallstore;
using store::Dataset;
using store::StoreError;

class TestFields : public QObject {
    Q_OBJECT
private slots:
    void assignment_data();
    void assignment();
    void valuesKeepTheirTypes();
    void assignmentOutsideEditRefused();
};

void TestFields::assignment_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("text");  // as read back; "" and null alike
    const QString refused;

    QTest::newRow("text cut to width") << "Nombre" << QVariant("ABCDEFGHIJKL") << true << "ABCDEFGHIJ";
    QTest::newRow("empty text is null") << "Nombre" << QVariant("") << true << "";
    QTest::newRow("windows-1252 letters") << "Nombre" << QVariant("Ñandú ó €") << true << "Ñandú ó €";
    QTest::newRow("A with macron") << "Nombre" << QVariant("Ā") << false << refused;
    QTest::newRow("emoji") << "Nombre" << QVariant("ok 😀") << false << refused;
    QTest::newRow("greek") << "Clave" << QVariant("Ω") << false << refused;
    QTest::newRow("a NUL") << "Nombre" << QVariant(QStringLiteral("AB") + QChar(0) + QStringLiteral("C")) << false
                           << refused;
    QTest::newRow("a byte the code page leaves out") << "Nombre" << QVariant(QString(QChar(0x81))) << false << refused;

    QTest::newRow("int16 low") << "Cant" << QVariant("-32768") << true << "-32768";
    QTest::newRow("int16 high") << "Cant" << QVariant("32767") << true << "32767";
    QTest::newRow("int16 over") << "Cant" << QVariant("32768") << false << refused;
    QTest::newRow("int16 under") << "Cant" << QVariant("-32769") << false << refused;
    QTest::newRow("int16 number over") << "Cant" << QVariant(40000) << false << refused;
    QTest::newRow("int16 number far over") << "Cant" << QVariant(1e300) << false << refused;
    QTest::newRow("int16 not a number") << "Cant" << QVariant(std::nan("")) << false << refused;
    QTest::newRow("int16 blanks") << "Cant" << QVariant(" 12 ") << true << "12";
    QTest::newRow("int16 letters") << "Cant" << QVariant("abc") << false << refused;
    QTest::newRow("int16 fraction") << "Cant" << QVariant("1,5") << false << refused;
    QTest::newRow("int16 fraction number") << "Cant" << QVariant(1.5) << false << refused;
    QTest::newRow("int16 empty is null") << "Cant" << QVariant("") << true << "";

    QTest::newRow("float decimal comma") << "Precio" << QVariant("1,5") << true << "1,5";
    QTest::newRow("float thousands and comma") << "Precio" << QVariant("1.234,56") << true << "1234,56";
    QTest::newRow("float point is no decimal mark") << "Precio" << QVariant("2.5") << false << refused;
    QTest::newRow("float thousands without decimals") << "Precio" << QVariant("1.000") << true << "1000";
    QTest::newRow("float number") << "Precio" << QVariant(3.25) << true << "3,25";
    QTest::newRow("float empty is null") << "Precio" << QVariant("") << true << "";
    QTest::newRow("float letters") << "Precio" << QVariant("abc") << false << refused;
    QTest::newRow("float nan") << "Precio" << QVariant("nan") << false << refused;
    QTest::newRow("float infinity") << "Precio" << QVariant("inf") << false << refused;
    QTest::newRow("float nan number") << "Precio" << QVariant(qQNaN()) << false << refused;

    QTest::newRow("date") << "Fecha" << QVariant("02/01/2024") << true << "02/01/2024";
    QTest::newRow("date short parts") << "Fecha" << QVariant("2/1/2024") << true << "02/01/2024";
    QTest::newRow("date leap day") << "Fecha" << QVariant("29/02/2024") << true << "29/02/2024";
    QTest::newRow("date value") << "Fecha" << QVariant(QDate(2024, 12, 31)) << true << "31/12/2024";
    QTest::newRow("masked empty date") << "Fecha" << QVariant("  /  /    ") << true << "";
    QTest::newRow("mask placeholders") << "Fecha" << QVariant("__/__/____") << true << "";
    QTest::newRow("31 February") << "Fecha" << QVariant("31/02/2024") << false << refused;
    QTest::newRow("29 February 2023") << "Fecha" << QVariant("29/02/2023") << false << refused;
    QTest::newRow("day 0 month 13") << "Fecha" << QVariant("00/13/2024") << false << refused;
    QTest::newRow("half typed") << "Fecha" << QVariant("12/  /    ") << false << refused;
    QTest::newRow("ISO order") << "Fecha" << QVariant("2024-01-02") << false << refused;
    QTest::newRow("five-digit year") << "Fecha" << QVariant("01/01/10000") << false << refused;
    QTest::newRow("negative year") << "Fecha" << QVariant("01/01/-5") << false << refused;
    QTest::newRow("date value past 9999") << "Fecha" << QVariant(QDate(10000, 1, 1)) << false << refused;
}

void TestFields::assignment()
{
    QFETCH(QString, field);
    QFETCH(QVariant, input);
    QFETCH(bool, accepted);
    QFETCH(QString, text);
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.open();
    ds.insert();
    ds.setText(QStringLiteral("Clave"), QStringLiteral("K"));
    const QString former = field == QLatin1String("Fecha") ? QStringLiteral("07/07/2007") : QStringLiteral("7");
    ds.setText(field, former);

    try {
        ds.setValue(field, input);
        QVERIFY2(accepted, qPrintable(QStringLiteral("accepted as '%1'").arg(ds.text(field))));
    } catch (const StoreError& e) {
        QVERIFY2(!accepted, qPrintable(e.text()));
        QCOMPARE(e.code(), int(store::ConversionError));
        if (folder.session.tableDef(QStringLiteral("registro")).field(field)->type == store::FieldType::Text)
            QVERIFY2(e.text().contains(field), qPrintable(e.text()));
        QCOMPARE(ds.text(field), former);
        return;
    }
    QCOMPARE(ds.text(field), text);
    QCOMPARE(ds.isNull(field), text.isEmpty());
    // What was accepted is what the file holds.
    ds.post();
    Dataset reread(&folder.session, QStringLiteral("T2"), QStringLiteral("registro"));
    reread.open();
    QCOMPARE(reread.text(field), text);
    QCOMPARE(reread.isNull(field), text.isEmpty());
}

void TestFields::valuesKeepTheirTypes()
{
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.open();
    addRow(ds, {{"Clave", "K"}, {"Cant", "-12"}, {"Precio", "0,1"}, {"Fecha", "29/02/2024"}});
    folder.session.setActive(false);
    ds.open();
    QCOMPARE(ds.value(QStringLiteral("Cant")), QVariant(-12));
    QCOMPARE(ds.asFloat(QStringLiteral("Precio")), 0.1);
    QCOMPARE(ds.asDate(QStringLiteral("Fecha")), QDate(2024, 2, 29));
    QCOMPARE(ds.value(QStringLiteral("Fecha")), QVariant(QDate(2024, 2, 29)));
    // Nulls read as empty text and zero.
    QCOMPARE(ds.value(QStringLiteral("Nombre")), QVariant());
    QCOMPARE(ds.asInteger(QStringLiteral("Anio")), 0);
    QVERIFY(!ds.asDate(QStringLiteral("Anio")).isValid());
}

void TestFields::assignmentOutsideEditRefused()
{
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    auto codeOf = [&ds](const char* field, const QVariant& value) {
        try {
            ds.setValue(QString::fromLatin1(field), value);
        } catch (const StoreError& e) {
            return e.code();
        }
        return 0;
    };
    QCOMPARE(codeOf("Nombre", "X"), int(store::NotOpen));
    ds.open();
    QCOMPARE(codeOf("Nombre", "X"), int(store::NotEditing));  // empty view
    addRow(ds, {{"Clave", "K"}, {"Nombre", "ANTES"}});
    QCOMPARE(codeOf("Nombre", "X"), int(store::NotEditing));
    QCOMPARE(ds.text(QStringLiteral("Nombre")), QStringLiteral("ANTES"));
    ds.edit();
    QCOMPARE(codeOf("Id", 99), int(store::ConversionError));  // the counter is the store's
    QCOMPARE(codeOf("NoExiste", "X"), int(store::FieldNotFound));
    ds.cancel();
    QCOMPARE(codeOf("Nombre", "X"), int(store::NotEditing));
}

QTEST_GUILESS_MAIN(TestFields)
#include "tst_fields.moc"
