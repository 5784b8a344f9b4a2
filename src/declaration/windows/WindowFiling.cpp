#include "WindowFiling.h"

#include "UReporte.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "declaration/DeclarationArchive.h"
#include "widgets/StandardError.h"

namespace filing {

void printDeclaration(const QString& codigo)
{
    runHandler([&] {
        const QString pdf = archive::keepPdf(*DModulo, Prompt::current(), codigo);
        QReporte->ImprimirDeclaracion(codigo);
        if (QReporte->noPrinter() && !pdf.isEmpty())
            Prompt::current().notice(archive::noPrinterNotice(pdf));
    });
}

bool generateFiledPeriod(const QString& destino, bool closeTheAmendment)
{
    const Outcome outcome = fileFiledPeriod(*DModulo, Prompt::current(), destino, closeTheAmendment);
    if (outcome.result != Result::Filed)
        return false;
    printDeclaration(outcome.codigo);
    return true;
}

}  // namespace filing
