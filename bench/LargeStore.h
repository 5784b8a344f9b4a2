#pragma once

#include "SampleCuit.h"
#include "data/store/Database.h"

#include <functional>

// Fills a store with `rows` clients and as many open printed-forms rows, one per client, in one
// transaction. Client i (from 1) gets the C.U.I.T. of number cuitNumber(i).
inline void fillClientsAndDetails(store::Database& db, int rows, const std::function<int(int)>& cuitNumber)
{
    store::Transaction transaction(db);
    store::Statement client(db, QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social, Inscripcion, Domicilio, Localidad, "
                                               "Codigo_Postal, Provincia) VALUES (?, ?, ?, ?, ?, ?, ?)")
                                    .arg(db.qualifiedTable(QStringLiteral("cliente"))));
    store::Statement detail(db, QStringLiteral("INSERT INTO %1 (Cliente, Fecha, Tipo_comprobante, NDesde, NHasta, "
                                               "ProcesoN, CanTalonarios, Anulado, Punto_Venta, Importado) "
                                               "VALUES (?, ?, ?, ?, ?, ?, ?, 'N', ?, 'N')")
                                    .arg(db.qualifiedTable(QStringLiteral("detalle"))));
    for (int i = 1; i <= rows; ++i) {
        client.reset();
        client.bind(1, fixture::cuitFor(cuitNumber(i)));
        client.bind(2, QStringLiteral("CONTRIBUYENTE NUMERO %1 SOCIEDAD ANONIMA").arg(i));
        client.bind(3, QStringLiteral("901-%1").arg(i));
        client.bind(4, QStringLiteral("AVENIDA SIEMPRE VIVA %1").arg(i % 5000));
        client.bind(5, QStringLiteral("LOCALIDAD %1").arg(i % 300));
        client.bind(6, QString::number(3000 + i % 900));
        client.bind(7, QStringLiteral("SANTA FE"));
        client.step();

        detail.reset();
        detail.bind(1, qint64(i));
        detail.bind(2, QStringLiteral("15/03/2024"));
        detail.bind(3, QStringLiteral("FACTURA %1").arg(QChar(u'A' + i % 3)));
        detail.bind(4, double(i * 50 + 1));
        detail.bind(5, double(i * 50 + 50));
        detail.bind(6, double(i));
        detail.bind(7, 1.0);
        detail.bind(8, QStringLiteral("%1").arg(i % 20 + 1, 4, 10, QLatin1Char('0')));
        detail.step();
    }
    transaction.commit();
}
