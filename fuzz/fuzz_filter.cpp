// The filter texts of the views (store::Filter), on each of the six tables: a text the parser
// takes must then run in SQLite as the views run it, on tables that hold a few rows (SQLite may
// only find it too large); a text it refuses must be refused as a bad filter, and a view keeps
// its rows. Input: UTF-8 text.
#include "FuzzSupport.h"
#include "data/Schema.h"
#include "data/store/Dataset.h"
#include "data/store/Session.h"

#include <memory>
#include <vector>

namespace {

struct Views {
    store::Session session{QStringLiteral("Fuzz"), schema::tables(), schema::references()};
    std::vector<std::unique_ptr<store::Dataset>> views;

    Views()
    {
        const QString folder = fuzz::scratchFolder() + QStringLiteral("/tablas");
        store::Database::createMissingFolder(folder, schema::tables());
        session.setFolderOverride(folder);
        store::Database& db = session.database();
        const auto table = [&](const char* name) { return db.qualifiedTable(QLatin1String(name)); };
        db.exec(QStringLiteral("INSERT INTO %1 VALUES ('20123456786', 'IMPRENTA SUR', '901-1', 'Mitre 10', "
                               "'Rosario', 2000, 'Santa Fe', 'S', 'N', 'S')")
                    .arg(table("imprenta")));
        db.exec(QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social, Localidad, Codigo_Postal, Provincia) VALUES "
                               "('30712345671', 'O''BRIEN SA', 'CAPITAL FEDERAL', '1001', NULL), "
                               "('27999999994', 'ÑANDÚ SRL', 'Córdoba', '5000', 'Córdoba')")
                    .arg(table("cliente")));
        db.exec(QStringLiteral("INSERT INTO %1 (Cliente, Fecha, Tipo_comprobante, NDesde, NHasta, Anio, Anticipo, "
                               "CanTalonarios, Anulado, Punto_Venta, Importado) VALUES "
                               "(1, '01/03/2016', 'Factura A', 1, 50, NULL, NULL, 50, 'N', '0001', 'S'), "
                               "(2, '15/02/2016', 'Remito', 101, 150.5, '2016', '03', 50, 'S', '0002', NULL)")
                    .arg(table("detalle")));
        db.exec(QStringLiteral("INSERT INTO %1 (Cliente_id, Marca, Modelo, Fecha, Precio, Anio, Anticipo, Anulado) "
                               "VALUES (1, 'Fiscal', 'X-1', '2016-03-01', 1500.25, NULL, NULL, 'N'), "
                               "(2, 'Otra', 'Z', NULL, -3, '2016', '03', 'S')")
                    .arg(table("maquina")));
        db.exec(
            QStringLiteral("INSERT INTO %1 VALUES ('2016', '03', 0, 1), ('2015', '12', 2, 2)").arg(table("anticipos")));
        db.exec(QStringLiteral("INSERT INTO %1 VALUES ('Factura A', 3), (NULL, NULL)").arg(table("formularios")));
        for (const store::TableDef& def : schema::tables()) {
            auto view = std::make_unique<store::Dataset>(&session, def.tableName, def.tableName);
            view->setFiltered(true);
            view->open();
            views.push_back(std::move(view));
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Views views;
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    for (const auto& view : views.views) {
        const int before = view->recordCount();
        bool parsed = true;
        try {
            store::Filter::parse(text, view->def());
        } catch (const store::StoreError& e) {
            fuzz::require(e.code() == store::BadFilter, "parse error", e.text());
            parsed = false;
        }
        try {
            view->setFilter(text);
        } catch (const store::StoreError& e) {
            // The one refusal of SQLite a filter the parser takes may meet: more terms than its
            // expression tree holds.
            const bool tooLarge = e.code() == store::SqlError && e.text().contains(QLatin1String("demasiado larga"));
            fuzz::require(!parsed || tooLarge, "a filter the parser takes fails in SQLite",
                          e.text() + QStringLiteral(": ") + text);
            fuzz::require(e.code() == store::BadFilter || tooLarge, "filter error", e.text());
            fuzz::require(view->recordCount() == before, "a refused filter changed the view's rows", text);
            continue;
        }
        fuzz::require(parsed, "a filter the parser refuses was set", text);
        const int count = view->recordCount();
        fuzz::require(count >= 0 && count <= before, "more rows than the table holds", text);
        int walked = 0;
        for (view->first(); !view->eof(); view->next())
            ++walked;
        fuzz::require(walked == count, "the rows walked are not the rows counted", text);
        view->setFilter(QString());
    }
    return 0;
}
