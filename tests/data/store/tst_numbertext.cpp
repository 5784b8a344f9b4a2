// How a typed number is read: the program's fixed regional form, whatever the machine's.

#include "data/text/NumberText.h"

#include <QLocale>
#include <QTest>

using store::NumberForm;
Q_DECLARE_METATYPE(store::NumberForm)

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
};

namespace {
const QString Refused = QStringLiteral("refused");
const QString Empty = QStringLiteral("empty");
const NumberForm Price{2, false};  // a price: two decimals, not negative
const NumberForm Signed{-1, true};
const NumberForm Whole{0, false};
}  // namespace

void TestNumberText::reading_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<NumberForm>("form");
    QTest::addColumn<QString>("expected");  // the value in C form, Empty or Refused

    QTest::newRow("thousands and decimals") << "1.234,56" << Price << "1234.56";
    QTest::newRow("decimals, no thousands") << "1234,56" << Price << "1234.56";
    QTest::newRow("whole") << "1234" << Price << "1234";
    QTest::newRow("half") << "0,5" << Price << "0.5";
    QTest::newRow("comma first") << ",5" << Price << "0.5";
    QTest::newRow("comma last") << "12," << Price << "12";
    QTest::newRow("a thousand with the point") << "1.000" << Price << "1000";
    QTest::newRow("millions") << "12.345.678,9" << Price << "12345678.9";
    QTest::newRow("as a grid shows it") << "185.400,50" << Price << "185400.5";
    QTest::newRow("blanks around") << "  1.234,56 \t" << Price << "1234.56";
    QTest::newRow("leading zeros") << "000012" << Whole << "12";
    QTest::newRow("empty") << "" << Price << Empty;
    QTest::newRow("blanks only") << "   " << Price << Empty;
    QTest::newRow("zero") << "0" << Whole << "0";

    QTest::newRow("negative where allowed") << "-1.234,5" << Signed << "-1234.5";
    QTest::newRow("minus zero") << "-0" << Signed << "0";
    QTest::newRow("negative price") << "-5" << Price << Refused;
    QTest::newRow("plus sign") << "+5" << Signed << Refused;
    QTest::newRow("minus alone") << "-" << Signed << Refused;

    QTest::newRow("15 significant digits") << "123456789012345" << Whole << "123456789012345";
    QTest::newRow("15 digits grouped") << "123.456.789.012.345" << Whole << "123456789012345";
    QTest::newRow("15 digits with decimals") << "1.234.567.890.123,45" << Price << "1234567890123.45";
    QTest::newRow("15 digits after zeros") << "0,000000000000001" << Signed << "0.000000000000001";
    QTest::newRow("16 significant digits") << "1234567890123456" << Whole << Refused;
    QTest::newRow("16 digits with decimals") << "12345678901234,56" << Price << Refused;

    QTest::newRow("three decimals in a price") << "1,234" << Price << Refused;
    QTest::newRow("a decimal in a whole number") << "12,5" << Whole << Refused;
    QTest::newRow("many decimals where any fit") << "0,123456" << Signed << "0.123456";

    QTest::newRow("point as decimal mark") << "10.6" << Signed << Refused;
    QTest::newRow("two decimals after a point") << "1.23" << Price << Refused;
    QTest::newRow("group of four") << "1.2345" << Signed << Refused;
    QTest::newRow("short middle group") << "12.34.567" << Signed << Refused;
    QTest::newRow("point first") << ".5" << Signed << Refused;
    QTest::newRow("two points") << "1..234" << Signed << Refused;
    QTest::newRow("point after the comma") << "1,234.5" << Signed << Refused;
    QTest::newRow("two commas") << "1,2,3" << Signed << Refused;
    QTest::newRow("comma alone") << "," << Signed << Refused;
    QTest::newRow("blank inside") << "1 234" << Signed << Refused;
    QTest::newRow("letters") << "abc" << Signed << Refused;
    QTest::newRow("letter after digits") << "12a" << Signed << Refused;
    QTest::newRow("exponent") << "1E5" << Signed << Refused;
    QTest::newRow("other script's digits") << QStringLiteral("١٢") << Signed << Refused;
}

void TestNumberText::reading()
{
    QFETCH(QString, typed);
    QFETCH(NumberForm, form);
    QFETCH(QString, expected);
    const store::NumberReading reading = store::readNumber(typed, form, QStringLiteral("Precio"));
    if (expected == Refused) {
        QVERIFY2(!reading.ok(), qPrintable(QString::number(reading.value.value_or(-1), 'g', 17)));
        QVERIFY(!reading.value);
        QVERIFY2(reading.refusal.contains(QStringLiteral("Precio")), qPrintable(reading.refusal));
        return;
    }
    QVERIFY2(reading.ok(), qPrintable(reading.refusal));
    if (expected == Empty) {
        QVERIFY(!reading.value);
        return;
    }
    QVERIFY(reading.value);
    QCOMPARE(*reading.value, QLocale::c().toDouble(expected));
}

QTEST_APPLESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
