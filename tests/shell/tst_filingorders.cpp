// The orders of the declaration: presentar writes the file the generate form writes, regenerar
// issues a filed period again or closes its amendment, pdf keeps the printed form and verificar
// reads a file.

#include "OrdersFixture.h"
#include "declaration/DeclarationCheck.h"

using namespace fixture;

class TestFilingOrders : public QObject, private OrderRun {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        writeImportFiles();
    }

    void cleanup() { m_dir.reset(); }

    // The file of the order is the one the generate form's filing writes for the same data.
    void presentarWritesTheFormsFile()
    {
        prepare(QStringLiteral("con datos"));
        const QString twin = file(QStringLiteral("gemela"));
        QByteArray expected;
        {
            Tables t(twin);
            fixture::fillOpenPeriod(t.m);
            expected = readAll(fileInProcess(t.m).path);
        }

        const Run r = run({"presentar", "--anio", "2024", "--anticipo", "3", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed(), declaration());
        QVERIFY2(r.err.contains(Success), qPrintable(r.err));
        QCOMPARE(readAll(declaration()), expected);
        QCOMPARE(count(tables(), QStringLiteral("detalle"), QStringLiteral("Anio IS NULL")), 0);
        QCOMPARE(count(tables(), QStringLiteral("anticipos"), QStringLiteral("Anio='2024' AND Anticipo='03'")), 1);
        QVERIFY(declcheck::checkFile(declaration()).ok());
    }

    void presentarToAnotherFolder()
    {
        prepare(QStringLiteral("con datos"));
        QVERIFY(QDir().mkpath(file(QStringLiteral("salida"))));
        const Run r =
            run({"presentar", "--anio", "2024", "--anticipo", "03", "--destino", "%T/salida", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QVERIFY(QFile::exists(QDir(file(QStringLiteral("salida"))).filePath(Agent + QStringLiteral("202403.imp"))));
        // The PDF of the form is kept below the tables wherever the file went.
        QCOMPARE(QDir(ddjj()).entryList(QDir::Files), QStringList{Agent + QStringLiteral("202403.pdf")});
    }

    // Told beforehand, the order files a repeated range and says what it accepted.
    void presentarAcceptingWarnings()
    {
        prepare(QStringLiteral("rango repetido"));
        const Run r = run({"presentar", "--anio", "2024", "--anticipo", "3", "--aceptar-avisos", "--datos", "%D"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("repite el rango de")), qPrintable(r.err));
        QVERIFY2(r.err.contains(Success), qPrintable(r.err));
        QCOMPARE(r.out.trimmed(), declaration());
        QCOMPARE(count(tables(), QStringLiteral("detalle"), QStringLiteral("Anio IS NULL")), 0);
        QVERIFY(declcheck::checkFile(declaration()).ok());
    }

    // Printing was asked and there is no printer: the filing stays done and the status says
    // the order was not carried out whole.
    void presentarWithoutPrinter()
    {
        prepare(QStringLiteral("con datos"));
        const Run r = run({"presentar", "--anio", "2024", "--anticipo", "3", "--imprimir", "--datos", "%D"},
                          {QStringLiteral("CUPS_SERVER=%1").arg(file(QStringLiteral("sin-cups.sock")))});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("no se imprimió")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("tarvenio regenerar --anio 2024 --anticipo 03 --imprimir")),
                 qPrintable(r.err));
        QVERIFY(QFile::exists(declaration()));
        QCOMPARE(count(tables(), QStringLiteral("anticipos"), QStringLiteral("1")), 1);
        // The form is kept as a PDF all the same, and the order says where.
        const QString pdf = QDir(ddjj()).filePath(Agent + QStringLiteral("202403.pdf"));
        QVERIFY2(r.err.contains(QStringLiteral("Declaración en PDF: ") + pdf), qPrintable(r.err));
        QVERIFY(readAll(pdf).startsWith("%PDF"));
    }

    // The PDF of a filed period: made again when missing, copied where asked; a period never
    // filed is refused.
    void pdf()
    {
        prepare(QStringLiteral("presentado"));
        const QString kept = QDir(ddjj()).filePath(Agent + QStringLiteral("202403.pdf"));
        QVERIFY(!QFile::exists(kept));
        Run r = run({"pdf", "--anio", "2024", "--anticipo", "3", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed(), kept);
        QVERIFY(readAll(kept).startsWith("%PDF"));

        r = run({"pdf", "--anio", "2024", "--anticipo", "03", "%T/copia.pdf", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(readAll(file(QStringLiteral("copia.pdf"))), readAll(kept));

        r = run({"pdf", "--anio", "2024", "--anticipo", "4", "--datos", "%D"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("El anticipo 04 del año 2024 no fue presentado.")), qPrintable(r.err));
    }

    void regenerar()
    {
        prepare(QStringLiteral("presentado"));
        QVERIFY(QFile::remove(declaration()));
        const Run r = run({"regenerar", "--anio", "2024", "--anticipo", "3", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed(), declaration());
        QVERIFY2(r.err.contains(Success), qPrintable(r.err));
        const declcheck::Report report = declcheck::checkFile(declaration());
        QVERIFY2(report.ok(), qPrintable(declcheck::reportText(report)));
        QCOMPARE(report.summary.forms, 10);
        QCOMPARE(report.summary.machines, 2);
    }

    // An amendment in preparation closes only when the order says so; the file carries its number.
    void regenerarAnAmendment_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("left open") << false;
        QTest::newRow("closed") << true;
    }

    void regenerarAnAmendment()
    {
        QFETCH(bool, close);
        prepare(QStringLiteral("rectificando"));
        QStringList arguments{"regenerar", "--anio", "2024", "--anticipo", "03", "--datos", "%D"};
        if (close)
            arguments << QStringLiteral("--cerrar-rectificativa");
        const Run r = run(arguments);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err.contains(QStringLiteral("sigue en preparación")), !close);
        QCOMPARE(count(tables(), QStringLiteral("anticipos"), QStringLiteral("Rec_pre = 1")), close ? 1 : 0);
        QCOMPARE(declcheck::checkFile(declaration()).summary.rectificativa, QStringLiteral("1"));
    }

    void verificar()
    {
        prepare(QStringLiteral("presentado"));
        const Run good = run({"verificar", declaration()});
        QCOMPARE(good.status, 0);
        QVERIFY2(good.out.contains(QStringLiteral("es una declaración correcta")), qPrintable(good.out));
        QVERIFY2(good.out.contains(QStringLiteral("Formularios: 10")), qPrintable(good.out));
        QCOMPARE(good.err, QString());

        QByteArray bytes = readAll(declaration());
        bytes.replace("Eof\r\n", "Eof\n");
        const QString copy = file(Agent + QStringLiteral("202403.imp"));
        writeFile(copy, bytes);
        const Run bad = run({"verificar", copy});
        QCOMPARE(bad.status, 1);
        QCOMPARE(bad.out, QString());
        QVERIFY2(bad.err.contains(QStringLiteral("termina con LF sin CR")), qPrintable(bad.err));
    }
};

QTEST_GUILESS_MAIN(TestFilingOrders)
#include "tst_filingorders.moc"
