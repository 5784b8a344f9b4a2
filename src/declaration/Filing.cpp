#include "Filing.h"

#include "UReporte.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "widgets/StandardError.h"

namespace filing {

void printDeclaration(const QString& codigo)
{
    runHandler([&] { QReporte->ImprimirDeclaracion(codigo); });
}

void generateFiledPeriod(const QString& destino, bool closeTheAmendment)
{
    const Outcome outcome = fileFiledPeriod(*DModulo, Prompt::current(), destino, closeTheAmendment);
    printDeclaration(outcome.codigo);
}

}  // namespace filing
