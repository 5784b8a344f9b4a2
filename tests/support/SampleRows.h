#pragma once

// The agent, clients, printed-forms rows, machines and periods entered through the views as a
// clerk types them, for tests and tools that need a small period of their own.

#include "data/UModulo.h"

#include <QDate>
#include <QStringList>

namespace fixture {

inline const QString AgentCuit = QStringLiteral("20123456786");

// The agent whose declarations are filed; `complete` adds its registration, address, province
// and the machine register mark to its name and place.
inline void addAgent(TDModulo& m, bool complete = true)
{
    store::Dataset* a = m.TImprentas;
    a->insert();
    a->setText(QStringLiteral("Cuit"), AgentCuit);
    a->setText(QStringLiteral("Nombre"), QStringLiteral("Gráfica Ñandú S.R.L."));
    a->setText(QStringLiteral("Imprentas"), QStringLiteral("S"));
    a->setText(QStringLiteral("Localidad"), QStringLiteral("Paraná"));
    a->setValue(QStringLiteral("Codigo_Postal"), 3100);
    if (complete) {
        a->setText(QStringLiteral("VMR"), QStringLiteral("S"));
        a->setText(QStringLiteral("Inscripcion"), QStringLiteral("901-123456-7"));
        a->setText(QStringLiteral("Domicilio"), QStringLiteral("San Martín 1234"));
        a->setText(QStringLiteral("Provincia"), QStringLiteral("Entre Ríos"));
    }
    a->post();
}

inline void addPeriod(TDModulo& m, const QString& anio, const QString& anticipo, const QVariant& rectificativa = {})
{
    store::Dataset* p = m.TAnticipos;
    p->insert();
    p->setText(QStringLiteral("Anio"), anio);
    p->setText(QStringLiteral("Anticipo"), anticipo);
    if (rectificativa.isValid())
        p->setValue(QStringLiteral("Rectificativa"), rectificativa);
    p->post();
}

// The rows of a period in the views a declaration is written from.
inline void setPeriodFilter(TDModulo& m, const QString& filter)
{
    for (store::Dataset* view : {m.TVerDetalles, m.TVerMaquinas}) {
        view->setFilter(filter);
        view->setFiltered(true);
    }
}

inline int addClient(TDModulo& m, const QString& cuit, const QString& name, const QStringList& rest = {})
{
    store::Dataset* c = m.TCliente;
    c->insert();
    c->setText(QStringLiteral("Cuit"), cuit);
    c->setText(QStringLiteral("Razon_Social"), name);
    const char* fields[] = {"Inscripcion", "Domicilio", "Localidad", "Codigo_Postal", "Provincia"};
    for (int i = 0; i < rest.size(); ++i)
        c->setText(QLatin1String(fields[i]), rest[i]);
    c->post();
    return c->asInteger(QStringLiteral("Id_cliente"));
}

inline void addDetail(TDModulo& m, int client, const QString& fecha, const QString& tipo, double desde, double hasta,
                      const QString& puntoVenta, const QString& anulado, const QString& importado,
                      const QString& anio = {}, const QString& anticipo = {})
{
    store::Dataset* d = m.TVerDetalles;
    d->insert();
    d->setValue(QStringLiteral("Cliente"), client);
    d->setText(QStringLiteral("Fecha"), fecha);
    d->setText(QStringLiteral("Tipo_comprobante"), tipo);
    d->setValue(QStringLiteral("NDesde"), desde);
    d->setValue(QStringLiteral("NHasta"), hasta);
    d->setValue(QStringLiteral("CanTalonarios"), hasta - desde + 1);
    d->setText(QStringLiteral("Punto_Venta"), puntoVenta);
    d->setText(QStringLiteral("Anulado"), anulado);
    d->setText(QStringLiteral("Importado"), importado);
    d->setText(QStringLiteral("Anio"), anio);
    d->setText(QStringLiteral("Anticipo"), anticipo);
    d->post();
}

inline void addMachine(TDModulo& m, int client, const QDate& fecha, const QString& modelo, double precio,
                       const QString& codigo, const QString& emision, const QString& serie, const QString& anulado)
{
    store::Dataset* d = m.TVerMaquinas;
    d->insert();
    d->setValue(QStringLiteral("Cliente_id"), client);
    d->setValue(QStringLiteral("Fecha"), fecha);
    d->setText(QStringLiteral("Marca"), QStringLiteral("Registra"));
    d->setText(QStringLiteral("Modelo"), modelo);
    d->setValue(QStringLiteral("Precio"), precio);
    d->setText(QStringLiteral("Codigo"), codigo);
    d->setText(QStringLiteral("Emision"), emision);
    d->setText(QStringLiteral("Serie"), serie);
    d->setText(QStringLiteral("Anulado"), anulado);
    d->post();
}

}  // namespace fixture
