// Files a period through the generate form, which prints its declaration on whatever printer
// the print service names as the default; run by cups_print_test.sh against a service of its own.
// Usage: cups_print_helper EXPECTED_PRINTER CONTROL_CODE

#include "ReportFixture.h"
#include "ScriptedPrompt.h"
#include "declaration/DeclarationFile.h"
#include "declaration/windows/DestinationGroup.h"
#include "declaration/windows/UPresentaciones.h"
#include "declaration/windows/UReporte.h"
#include "widgets/DirectoryListBox.h"

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
    fixture.openRows = true;
    fixture.form(QStringLiteral("FACTURA A"), 25);
    fixture.form(QStringLiteral("REMITO R"), 4);
    fixture.machine(QStringLiteral("MARCA1"), QStringLiteral("MODELO1"));
    const QString computed =
        CodigoControl(ReportFixture::Anio, ReportFixture::Anticipo, fixture.m.TImprentas->text(QStringLiteral("Cuit")));
    if (computed != code) {
        std::fprintf(stderr, "the period's control code is %s, expected %s\n", qPrintable(computed), qPrintable(code));
        return 1;
    }

    QReporte = new TQReporte;
    auto* form = new TFPresentaciones;
    fixture.m.TAnticipos->insert();
    fixture.m.TAnticipos->setText(QStringLiteral("Anio"), ReportFixture::Anio);
    fixture.m.TAnticipos->setText(QStringLiteral("Anticipo"), ReportFixture::Anticipo);
    form->GroupBox4->DirectoryListBox1->setDirectory(fixture.folder.path());
    form->BitBtn1Click();
    delete form;
    delete QReporte;
    QReporte = nullptr;

    for (const QString& text : prompt.texts())
        std::printf("message shown: %s\n", qPrintable(text));
    return prompt.texts().size() == 2 && prompt.texts().last().startsWith(QStringLiteral("La Presentación")) ? 0 : 1;
}
