// Prints a filed period's declaration through ImprimirDeclaracion on whatever printer the
// print service names as the default; run by cups_print_test.sh against a service of its own.
// Usage: cups_print_helper EXPECTED_PRINTER CONTROL_CODE

#include "ReportFixture.h"
#include "ScriptedPrompt.h"
#include "declaration/UReporte.h"

#include <QApplication>
#include <QPrinterInfo>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: cups_print_helper EXPECTED_PRINTER CONTROL_CODE\n");
        return 2;
    }
    const QString expected = QString::fromLocal8Bit(argv[1]);
    const QString code = QString::fromLocal8Bit(argv[2]);

    const QString printer = QPrinterInfo::defaultPrinter().printerName();
    if (printer != expected) {
        std::fprintf(stderr, "default printer is '%s', expected '%s'\n", qPrintable(printer), qPrintable(expected));
        return 1;
    }

    ScriptedPrompt prompt;
    ReportFixture fixture;
    fixture.agent(QStringLiteral("SNS"));
    fixture.period();
    fixture.form(QStringLiteral("FACTURA A"), 25);
    fixture.form(QStringLiteral("REMITO R"), 4);
    fixture.machine(QStringLiteral("MARCA1"), QStringLiteral("MODELO1"));
    fixture.prepare();

    QReporte = new TQReporte;
    const int copies = QReporte->ImprimirDeclaracion(code);
    delete QReporte;
    QReporte = nullptr;

    std::printf("copies sent: %d\n", copies);
    for (const QString& text : prompt.texts())
        std::fprintf(stderr, "message shown: %s\n", qPrintable(text));
    return copies == 2 && prompt.shown().isEmpty() ? 0 : 1;
}
