#pragma once

// The open period the filing tests start from, made through the views as a clerk would type it.

#include "SampleCuit.h"
#include "data/UModulo.h"

#include <QDate>

namespace fixture {

// The agent, two clients, ten printed-forms rows and two machines in the open period.
inline void fillOpenPeriod(TDModulo& m)
{
    m.TImprentas->insert();
    m.TImprentas->setText(QStringLiteral("Cuit"), cuitFor(99999999));
    m.TImprentas->setText(QStringLiteral("Nombre"), QStringLiteral("IMPRENTA DEL SOL"));
    m.TImprentas->setText(QStringLiteral("Imprentas"), QStringLiteral("S"));
    m.TImprentas->post();
    for (int c = 1; c <= 2; ++c) {
        m.TCliente->insert();
        m.TCliente->setText(QStringLiteral("Cuit"), cuitFor(10000000 * c + 1));
        m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("CLIENTE %1 SA").arg(c));
        m.TCliente->post();
    }
    for (int i = 1; i <= 10; ++i) {
        m.TDetalles->insert();
        m.TDetalles->setValue(QStringLiteral("Cliente"), 1 + i % 2);
        m.TDetalles->setText(QStringLiteral("Fecha"), QStringLiteral("0%1/03/2024").arg(1 + i % 9));
        m.TDetalles->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("Factura A"));
        m.TDetalles->setValue(QStringLiteral("NDesde"), 100.0 * i + 1);
        m.TDetalles->setValue(QStringLiteral("NHasta"), 100.0 * i + 50);
        m.TDetalles->setValue(QStringLiteral("CanTalonarios"), 50.0);
        m.TDetalles->setText(QStringLiteral("Anulado"), QStringLiteral("N"));
        m.TDetalles->post();
    }
    for (int i = 1; i <= 2; ++i) {
        m.TMaquinas->insert();
        m.TMaquinas->setValue(QStringLiteral("Cliente_id"), i);
        m.TMaquinas->setText(QStringLiteral("Marca"), QStringLiteral("MARCA %1").arg(i));
        m.TMaquinas->setValue(QStringLiteral("Fecha"), QDate(2024, 3, 10 + i));
        m.TMaquinas->setValue(QStringLiteral("Precio"), 1234.5 * i);
        m.TMaquinas->post();
    }
}

}  // namespace fixture
