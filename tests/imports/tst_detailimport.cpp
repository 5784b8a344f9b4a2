// The detail import without windows: the result code of a line and the all-or-nothing run.

#include "DetailLines.h"
#include "ImportFixture.h"

#include <climits>

using fixture::cuitFor;
using fixture::fileOf;
using fixture::loaded;
using imports::DetailColumns;

Q_DECLARE_METATYPE(PromptButton)

class TestDetailImport : public DetailImportTest {
    Q_OBJECT

private slots:
    void cleanup() { m_f.reset(); }

    void decodificar_data();
    void decodificar();
    void loadsRows();
    void secondImportBesideTheFirst();
    void failureRemovesEveryImportedRow_data();
    void failureRemovesEveryImportedRow();
    void cancelImportsNothing();
    void badFileLosesNothing_data();
    void badFileLosesNothing();
    void linesEndingInCrAlone();
    void fileChangedWhileAsked_data();
    void fileChangedWhileAsked();
};

void TestDetailImport::decodificar_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("row");  // for code 0: the stored values joined by '|'

    const QString a = cuitFor(1);
    const QString taken = "05/04/2024|Facturas B|7|101|150|50|A001";
    QTest::newRow("taken") << detailLine(a) << 0 << taken;
    QTest::newRow("one form") << detailLine(a, "150", "150") << 0 << "05/04/2024|Facturas B|7|150|150|1|A001";
    QTest::newRow("leading zeros and a sign") << detailLine(a, "+0000101", "150") << 0 << taken;
    QTest::newRow("C.U.I.T. followed by more") << detailLine(a + "XY") << 0 << taken;
    QTest::newRow("empty line") << QString() << 1 << "";
    QTest::newRow("no date") << detailLine(a, "101", "150", "Alfa", "") << 4 << "";
    QTest::newRow("no name") << detailLine(a, "101", "150", "") << 4 << "";
    QTest::newRow("no C.U.I.T.") << detailLine("") << 4 << "";
    QTest::newRow("no form type") << detailLine(a, "101", "150", "Alfa", "05/04/2024", "") << 4 << "";
    QTest::newRow("no point of sale") << detailLine(a, "101", "150", "Alfa", "05/04/2024", "Fact", "") << 4 << "";
    QTest::newRow("no first number") << detailLine(a, "") << 1 << "";
    QTest::newRow("no last number") << detailLine(a, "101", "") << 1 << "";
    QTest::newRow("decimal point") << detailLine(a, "101.5", "150") << 1 << "";
    QTest::newRow("decimal comma") << detailLine(a, "101", "150,0") << 1 << "";
    QTest::newRow("thousands separator") << detailLine(a, "1.000", "2.000") << 1 << "";
    QTest::newRow("letters") << detailLine(a, "12a", "150") << 1 << "";
    QTest::newRow("a blank inside") << detailLine(a, "1 01", "150") << 1 << "";
    QTest::newRow("first above last") << detailLine(a, "150", "101") << 3 << "";
    QTest::newRow("first above last, name missing") << detailLine(a, "150", "101", "") << 3 << "";
    QTest::newRow("first above last, C.U.I.T. missing") << detailLine("", "150", "101") << 3 << "";
    QTest::newRow("first above last, last missing") << detailLine(a, "150", "") << 1 << "";
    QTest::newRow("check digit wrong") << detailLine(fixture::badCuitFor(1)) << 5 << "";
    QTest::newRow("C.U.I.T. with dashes") << detailLine(a.left(2) + "-" + a.mid(2, 8) + "-" + a.right(1)) << 5 << "";
    QTest::newRow("C.U.I.T. moved right by two blanks") << detailLine("  " + a) << 5 << "";
    QTest::newRow("client not registered") << detailLine(cuitFor(3)) << 6 << "";
    QTest::newRow("a form type the table cannot hold")
        << detailLine(a, "101", "150", "Alfa", "05/04/2024", "Factura Ω") << 1 << "";
    // The rules of every other road in: whole numbers from zero up, a real calendar date.
    QTest::newRow("first number below zero") << detailLine(a, "-5", "150") << 1 << "";
    QTest::newRow("both numbers zero") << detailLine(a, "0", "0") << 0 << "05/04/2024|Facturas B|7|0|0|1|A001";
    QTest::newRow("31 February") << detailLine(a, "101", "150", "Alfa", "31/02/2024") << 1 << "";
    QTest::newRow("29 February of a common year") << detailLine(a, "101", "150", "Alfa", "29/02/2023") << 1 << "";
    QTest::newRow("month 13") << detailLine(a, "101", "150", "Alfa", "05/13/2024") << 1 << "";
    QTest::newRow("date in another order") << detailLine(a, "101", "150", "Alfa", "2024-04-05") << 1 << "";
    QTest::newRow("date in words") << detailLine(a, "101", "150", "Alfa", "hoy") << 1 << "";
    QTest::newRow("one-digit day and month") << detailLine(a, "101", "150", "Alfa", "5/4/2024") << 0 << taken;
}

void TestDetailImport::decodificar()
{
    QFETCH(QString, line);
    QFETCH(int, code);
    QFETCH(QString, row);
    const QString registered = cuitFor(1);
    const imports::ClientLookup find = [&](const QString& cuit) -> std::optional<qint64> {
        if (cuit == registered)
            return 7;
        return std::nullopt;
    };
    imports::DetailRow r;
    QCOMPARE(imports::Decodificar(line, DetailLayout, find, r), code);
    if (code == 0)
        QCOMPARE(QStringList({r.fecha, r.tipoComprobante, QString::number(r.cliente), QString::number(r.nDesde),
                              QString::number(r.nHasta), QString::number(r.canTalonarios), r.puntoVenta})
                     .join(QLatin1Char('|')),
                 row);
}

void TestDetailImport::loadsRows()
{
    const imports::DetailOutcome outcome =
        run({detailLine(cuitFor(1)), detailLine(cuitFor(2), "1", "100", "Beta", "06/04/2024", "Remitos", "2"),
             detailLine(cuitFor(1), "151", "151")});
    QVERIFY(outcome.confirmed);
    QCOMPARE(outcome.code, 0);
    QCOMPARE(outcome.count, 3);
    const QString a = QString::number(m_alfa);
    QCOMPARE(f().rows(QStringLiteral("detalle"), Stored),
             (QStringList{a + "|05/04/2024|Facturas B|101|150|50|A001|S|N|<null>|<null>|<null>",
                          QString::number(m_beta) + "|06/04/2024|Remitos|1|100|100|2|S|N|<null>|<null>|<null>",
                          a + "|05/04/2024|Facturas B|151|151|1|A001|S|N|<null>|<null>|<null>"}));
    QCOMPARE(f().prompt.texts(), (QStringList{Confirm, loaded(3)}));
    for (const PromptMessage& m : f().prompt.shown())
        QCOMPARE(m.caption, QStringLiteral("Caldivar"));
    QCOMPARE(f().prompt.shown()[0].buttons, PromptButtons::OkCancel);
    QCOMPARE(f().prompt.shown()[1].buttons, PromptButtons::Ok);
    // The workbench's view shows them, with the registered client's name.
    store::Dataset* view = f().m().TDetalles;
    QCOMPARE(view->recordCount(), 3);
    view->first();
    QCOMPARE(view->text(QStringLiteral("Razon_social")), QStringLiteral("ALFA SRL"));
}

void TestDetailImport::secondImportBesideTheFirst()
{
    QCOMPARE(run({detailLine(cuitFor(1)), detailLine(cuitFor(2))}).code, 0);
    QCOMPARE(run({detailLine(cuitFor(2), "1", "10")}).code, 0);
    QCOMPARE(imported(), 3);
    QCOMPARE(f().prompt.texts().last(), loaded(1));
}

void TestDetailImport::failureRemovesEveryImportedRow_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<PromptButton>("answer");

    const QString good = detailLine(cuitFor(1));
    QTest::newRow("unknown client on line 2")
        << fileOf({good, detailLine(cuitFor(3)), good}) << 2 << 6 << PromptButton::Yes;
    QTest::newRow("reversed numbers and a missing name")
        << fileOf({detailLine(cuitFor(2), "9", "1", "")}) << 1 << 3 << PromptButton::No;
    QTest::newRow("a trailing empty line") << fileOf({good, good, QString()}) << 3 << 1 << PromptButton::No;
    QTest::newRow("an impossible date on line 2")
        << fileOf({good, detailLine(cuitFor(1), "151", "200", "Alfa SRL", "30/02/2024"), good}) << 2 << 1
        << PromptButton::No;
}

// Two good imports, then a failing third: every imported open row goes, typed rows and filed
// periods stay.
void TestDetailImport::failureRemovesEveryImportedRow()
{
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    QFETCH(int, code);
    QFETCH(PromptButton, answer);
    f().addTypedDetail(m_alfa);
    f().addTypedDetail(m_beta, QStringLiteral("2023"));
    QCOMPARE(run({detailLine(cuitFor(1)), detailLine(cuitFor(2))}).code, 0);
    QCOMPARE(run({detailLine(cuitFor(2))}).code, 0);
    QCOMPARE(imported(), 3);
    const QStringList typed = f().rows(QStringLiteral("detalle"), Stored, QStringLiteral("Importado IS NULL"));
    QCOMPARE(typed.size(), 2);

    f().prompt.clear();
    f().prompt.answer(PromptButton::Ok);
    f().prompt.answer(answer);
    const imports::DetailOutcome outcome = imports::importDetails(
        f().m(), f().m().prompt(), f().write(QStringLiteral("tercero.txt"), content), DetailLayout);
    QCOMPARE(outcome.code, code);
    QCOMPARE(outcome.count, line);
    QCOMPARE(outcome.help, answer == PromptButton::Yes);
    QCOMPARE(imported(), 0);
    QCOMPARE(f().rows(QStringLiteral("detalle"), Stored), typed);
    QCOMPARE(f().prompt.texts(), (QStringList{Confirm, failed(line, code)}));
    QCOMPARE(f().prompt.last().caption, QStringLiteral("Caldivar"));
    QCOMPARE(f().prompt.last().buttons, PromptButtons::YesNo);
    QCOMPARE(f().m().TDetalles->recordCount(), 1);
}

void TestDetailImport::cancelImportsNothing()
{
    QCOMPARE(run({detailLine(cuitFor(1))}).code, 0);
    f().prompt.clear();
    f().prompt.answer(PromptButton::Cancel);
    const imports::DetailOutcome outcome = imports::importDetails(
        f().m(), f().m().prompt(), f().write(QStringLiteral("detalle.txt"), fileOf({detailLine(cuitFor(3))})),
        DetailLayout);  // would fail and remove
    QVERIFY(!outcome.confirmed);
    QCOMPARE(imported(), 1);
    QCOMPARE(f().prompt.texts(), QStringList{Confirm});
}

void TestDetailImport::badFileLosesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("binary") << fileOf({detailLine(cuitFor(2))}) + QByteArray("\x01\0\x02", 3);
    QTest::newRow("empty") << QByteArray();
}

// Refused before the question: the earlier import stays.
void TestDetailImport::badFileLosesNothing()
{
    QFETCH(QByteArray, content);
    QCOMPARE(run({detailLine(cuitFor(1))}).code, 0);
    f().prompt.clear();
    const QString path = f().write(QStringLiteral("malo.prn"), content);
    QVERIFY_THROWS_EXCEPTION(store::StoreError, imports::importDetails(f().m(), f().m().prompt(), path, DetailLayout));
    QCOMPARE(imported(), 1);
    QVERIFY(f().prompt.shown().isEmpty());
}

void TestDetailImport::linesEndingInCrAlone()
{
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines << detailLine(cuitFor(1 + i % 2), QString::number(1000 + 2 * i), QString::number(1001 + 2 * i));
    f().prompt.answer(PromptButton::Ok);
    const QString path = f().write(QStringLiteral("cr.txt"), lines.join(QLatin1Char('\r')).toLatin1());
    QCOMPARE(imports::importDetails(f().m(), f().m().prompt(), path, DetailLayout).count, 100);
    QCOMPARE(imported(), 100);
    QCOMPARE(f().prompt.texts().last(), loaded(100));
}

void TestDetailImport::fileChangedWhileAsked_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("cut in half") << "cut";
    QTest::newRow("a line added") << "grown";
}

// The file looked over is the one the user said yes to; a file that changed while the question
// was open is refused whole, and the earlier import stays.
void TestDetailImport::fileChangedWhileAsked()
{
    QFETCH(QString, change);
    QCOMPARE(run({detailLine(cuitFor(1))}).code, 0);
    QStringList lines;
    for (int i = 0; i < 30; ++i)
        lines << detailLine(cuitFor(2), QString::number(1 + 2 * i), QString::number(2 + 2 * i));
    const QString path = f().write(QStringLiteral("cambiante.txt"), fileOf(lines));
    f().prompt.clear();
    f().prompt.answer(PromptButton::Ok);
    f().prompt.whileNextShown([&] {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (change == QLatin1String("cut"))
            QVERIFY(file.resize(file.size() / 2));
        else
            QVERIFY(file.seek(file.size()) && file.write(fileOf({detailLine(cuitFor(2), "900", "901")})) > 0);
    });
    try {
        imports::importDetails(f().m(), f().m().prompt(), path, DetailLayout);
        QFAIL("the changed file was imported");
    } catch (const store::StoreError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("cambió mientras se lo cargaba")), qPrintable(e.text()));
    }
    QCOMPARE(imported(), 1);
    QCOMPARE(f().prompt.texts(), QStringList{Confirm});
}

QTEST_GUILESS_MAIN(TestDetailImport)
#include "tst_detailimport.moc"
