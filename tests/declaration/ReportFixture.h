#pragma once

#include "DataFolder.h"
#include "data/UModulo.h"
#include "declaration/windows/WindowFiling.h"

#include <QString>
#include <QStringList>

// A data folder with the agent, one filed period and its rows, and the report data prepared
// as the filing does it; shared by the page tests and the print-service test.
class ReportFixture {
public:
    static inline const QString Anio = QStringLiteral("2024");
    static inline const QString Anticipo = QStringLiteral("05");

    ReportFixture() : m(folder.modulo()) {}

    // flags: the agent's Imprentas, VMR and Autoimpresores, one character each.
    void agent(const QString& flags, const QString& domicilio = QStringLiteral("SAN MARTIN 1234"))
    {
        store::Dataset* a = m.TImprentas;
        a->insert();
        a->setText(QStringLiteral("Cuit"), QStringLiteral("20123456786"));
        a->setText(QStringLiteral("Nombre"), QStringLiteral("IMPRENTA DEL SOL SRL"));
        a->setText(QStringLiteral("Inscripcion"), QStringLiteral("901-234567-8"));
        a->setText(QStringLiteral("Domicilio"), domicilio);
        a->setText(QStringLiteral("Localidad"), QStringLiteral("VILLA NUEVA"));
        a->setText(QStringLiteral("Codigo_Postal"), QStringLiteral("5400"));
        a->setText(QStringLiteral("Provincia"), QStringLiteral("CENTRO"));
        a->setText(QStringLiteral("Imprentas"), flags.mid(0, 1));
        a->setText(QStringLiteral("VMR"), flags.mid(1, 1));
        a->setText(QStringLiteral("Autoimpresores"), flags.mid(2, 1));
        a->post();
    }

    void period(double rectificativa = 0)
    {
        store::Dataset* p = m.TAnticipos;
        p->insert();
        p->setText(QStringLiteral("Anio"), Anio);
        p->setText(QStringLiteral("Anticipo"), Anticipo);
        p->setValue(QStringLiteral("Rectificativa"), rectificativa);
        p->post();
    }

    int client()
    {
        if (m_client == 0) {
            m.TCliente->insert();
            m.TCliente->setText(QStringLiteral("Cuit"), QStringLiteral("20000000001"));
            m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("CLIENTE"));
            m.TCliente->post();
            m_client = m.TCliente->asInteger(QStringLiteral("Id_cliente"));
        }
        return m_client;
    }

    void form(const QString& tipo, double booklets, const QString& anulado = QStringLiteral("N"))
    {
        store::Dataset* d = m.TVerDetalles;
        d->insert();
        d->setValue(QStringLiteral("Cliente"), client());
        d->setText(QStringLiteral("Tipo_comprobante"), tipo);
        d->setValue(QStringLiteral("NDesde"), 1.0);
        d->setValue(QStringLiteral("NHasta"), booklets);
        d->setValue(QStringLiteral("CanTalonarios"), booklets);
        d->setText(QStringLiteral("Anio"), openRows ? QString() : Anio);
        d->setText(QStringLiteral("Anticipo"), openRows ? QString() : Anticipo);
        d->setText(QStringLiteral("Anulado"), anulado);
        d->post();
    }

    void machine(const QString& marca, const QString& modelo, const QString& anulado = {})
    {
        store::Dataset* d = m.TVerMaquinas;
        d->insert();
        d->setValue(QStringLiteral("Cliente_id"), client());
        d->setText(QStringLiteral("Marca"), marca);
        d->setText(QStringLiteral("Modelo"), modelo);
        d->setText(QStringLiteral("Anio"), openRows ? QString() : Anio);
        d->setText(QStringLiteral("Anticipo"), openRows ? QString() : Anticipo);
        d->setText(QStringLiteral("Anulado"), anulado);
        d->post();
    }

    // What the filing does before it prints.
    void prepare() { filing::prepareReport(*DModulo, Anio, Anticipo); }

    DataFolder folder;
    TDModulo& m;
    bool openRows = false;  // rows of the open period instead of the filed one

private:
    int m_client = 0;
};
