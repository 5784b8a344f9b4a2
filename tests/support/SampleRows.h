#pragma once

// Clients, printed-forms rows and machines entered through the views as a clerk types them, for
// tests and tools that need a small period of their own.

#include "data/UModulo.h"

#include <QDate>
#include <QStringList>

namespace fixture {

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
