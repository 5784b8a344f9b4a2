#include "Filing.h"

#include "DeclarationFile.h"
#include "Destination.h"
#include "Prompt.h"
#include "UModulo.h"
#include "UReporte.h"
#include "widgets/StandardError.h"
#include "widgets/WaitCursor.h"

namespace filing {

namespace {

void setPeriodViews(const QString& filter)
{
    DModulo->TVerDetalles->setFiltered(false);
    DModulo->TVerMaquinas->setFiltered(false);
    for (store::Dataset* view : {DModulo->TVerDetalles, DModulo->TVerMaquinas}) {
        view->setFilter(filter);
        view->setFiltered(true);
    }
}

QString periodText(const char* field)
{
    return DModulo->TAnticipos->text(QString::fromLatin1(field));
}

}  // namespace

QString periodFilter(const QString& anio, const QString& anticipo)
{
    return QStringLiteral("anio='") + anio + QStringLiteral("'") + QStringLiteral(" and Anticipo='") + anticipo +
           QStringLiteral("'");
}

void showPeriod(const QString& anio, const QString& anticipo)
{
    setPeriodViews(periodFilter(anio, anticipo));
}

void showOpenPeriod()
{
    setPeriodViews(QStringLiteral("anio=null and Anticipo=null"));
}

bool acceptDestination(const QString& destino, const std::function<void()>& afterPrompt)
{
    if (!destination::isDiskette(destino))
        return true;
    Prompt::current().notice(QStringLiteral("Inserte un diskette"));
    if (afterPrompt)
        afterPrompt();
    if (destination::disketteHasRoom(DModulo->config))
        return true;
    Prompt::current().notice(QStringLiteral("No hay suficiente espacio en el disco"));
    return false;
}

QString writeDeclaration(const QString& destino, const QString& codigo)
{
    WaitCursor hourglass;
    return EscribirDeclaracion(*DModulo, destino, codigo);
}

void prepareReport(const QString& anio, const QString& anticipo)
{
    DModulo->QBorraForm->execSql();
    DModulo->QInsertaForm->close();
    DModulo->QInsertaForm->setParam(0, anio);
    DModulo->QInsertaForm->setParam(1, anticipo);
    DModulo->QInsertaForm->execSql();
    DModulo->Qrep->close();
    DModulo->Qrep->setParam(0, anio);
    DModulo->Qrep->setParam(1, anticipo);
    DModulo->Qrep->open();
}

void printDeclaration(const QString& codigo)
{
    runHandler([&] { QReporte->ImprimirDeclaracion(codigo); });
}

void closeAmendment()
{
    store::Dataset* period = DModulo->TAnticipos;
    period->edit();
    period->setValue(QStringLiteral("Rec_pre"), period->value(QStringLiteral("Rectificativa")));
    period->post();
}

void generateFiledPeriod(const QString& destino)
{
    const QString anio = periodText("Anio");
    const QString anticipo = periodText("Anticipo");
    const QString codigo = CodigoControl(anio, anticipo, DModulo->TImprentas->text(QStringLiteral("Cuit")));
    showPeriod(anio, anticipo);
    writeDeclaration(destino, codigo);
    prepareReport(anio, anticipo);
    Prompt::current().notice(QStringLiteral("La Presentación Fue Generada con Exito"));
    printDeclaration(codigo);
}

}  // namespace filing
