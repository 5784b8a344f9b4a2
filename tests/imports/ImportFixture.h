#pragma once

// A data folder with the scripted prompt, files written in the test, and the rows as stored,
// for the tests of the two imports.

#include "DataFolder.h"
#include "ImportLines.h"
#include "SampleCuit.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "data/store/Database.h"

#include <QTest>

namespace fixture {

inline QString loaded(int count) { return QStringLiteral("Se han cargado con exito %1 Registros").arg(count); }

// The same first ten digits with another check digit.
inline QString badCuitFor(int n)
{
    QString cuit = cuitFor(n);
    cuit[10] = QLatin1Char(cuit[10] == QLatin1Char('9') ? '0' : char(cuit[10].toLatin1() + 1));
    return cuit;
}

class Imports {
public:
    Imports() { folder.modulo(); }

    TDModulo& m() { return *DModulo; }
    store::Database& db() { return m().Session1_1->database(); }

    QString write(const QString& name, const QByteArray& content)
    {
        const QString path = folder.file(name);
        writeFile(path, content);
        return path;
    }

    qint64 addClient(const QString& cuit, const QString& name)
    {
        m().TCliente->insert();
        m().TCliente->setText(QStringLiteral("Cuit"), cuit);
        m().TCliente->setText(QStringLiteral("Razon_Social"), name);
        m().TCliente->post();
        return m().TCliente->value(QStringLiteral("Id_cliente")).toLongLong();
    }

    // A printed-forms row typed by hand (not imported), open unless a year is given.
    void addTypedDetail(qint64 client, const QString& anio = {})
    {
        store::Dataset* ds = m().TVerDetalles;
        ds->insert();
        ds->setText(QStringLiteral("Fecha"), QStringLiteral("01/03/2024"));
        ds->setValue(QStringLiteral("Cliente"), client);
        ds->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("Facturas A"));
        ds->setValue(QStringLiteral("NDesde"), 1.0);
        ds->setValue(QStringLiteral("NHasta"), 50.0);
        if (!anio.isEmpty()) {
            ds->setText(QStringLiteral("Anio"), anio);
            ds->setText(QStringLiteral("Anticipo"), QStringLiteral("02"));
        }
        ds->post();
    }

    // The rows of a table as stored, one text per row with the given columns joined by '|'.
    QStringList rows(const QString& table, const QString& columns, const QString& where = {})
    {
        store::Statement stmt(db(), QStringLiteral("SELECT %1 FROM %2%3 ORDER BY rowid")
                                        .arg(columns, db().qualifiedTable(table),
                                             where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
        QStringList list;
        while (stmt.step()) {
            QStringList values;
            for (int c = 0; c < stmt.columnCount(); ++c)
                values << (stmt.column(c).isNull() ? QStringLiteral("<null>") : stmt.column(c).toString());
            list << values.join(QLatin1Char('|'));
        }
        return list;
    }

    int count(const QString& table, const QString& where = {})
    {
        return int(rows(table, QStringLiteral("1"), where).size());
    }

    ScriptedPrompt prompt;
    DataFolder folder;
};

}  // namespace fixture
