#include "Schema.h"

#include "store/StoreError.h"

using store::FieldType;

namespace schema {

QList<store::TableDef> tables()
{
    // Each field with what the clerk calls it; number fields say what they hold.
    static const QList<store::TableDef> defs{
        {QStringLiteral("imprenta.db"),
         QStringLiteral("imprenta"),
         {{"Cuit", FieldType::Text, 13, -1, true, "C.U.I.T."},
          {"Nombre", FieldType::Text, 60, -1, true, "Razón Social"},
          {"Inscripcion", FieldType::Text, 15, -1, true, "N° de Inscripción"},
          {"Domicilio", FieldType::Text, 50, -1, true, "Domicilio"},
          {"Localidad", FieldType::Text, 30, -1, true, "Localidad"},
          // Printed as "C.P.:" on the declaration: a real postal code, never 0 or below.
          {"Codigo_Postal", FieldType::Int16, 0, 0, false, "Código Postal", true},
          {"Provincia", FieldType::Text, 30, -1, true, "Provincia"},
          {"Imprentas", FieldType::Text, 1, -1, true, "Imprenta"},
          {"VMR", FieldType::Text, 1, -1, true, "Venta de Maquinas Registradoras"},
          {"Autoimpresores", FieldType::Text, 1, -1, true, "Autoimpresores"}},
         {}},
        {QStringLiteral("cliente.DB"),
         QStringLiteral("cliente"),
         {{"Id_cliente", FieldType::AutoInc, 0, -1, true, "Número de cliente"},
          {"Cuit", FieldType::Text, 13, -1, true, "C.U.I.T."},
          {"Razon_Social", FieldType::Text, 60, -1, true, "Razón Social"},
          {"Inscripcion", FieldType::Text, 15, -1, true, "N° Inscripción"},
          {"Domicilio", FieldType::Text, 50, -1, true, "Domicilio"},
          {"Localidad", FieldType::Text, 30, -1, true, "Localidad"},
          {"Codigo_Postal", FieldType::Text, 6, -1, true, "Código Postal"},
          {"Provincia", FieldType::Text, 30, -1, true, "Provincia"}},
         {{"indx_cliente_cuit", {"Cuit"}, true}}},
        {QStringLiteral("detalle.DB"),
         QStringLiteral("detalle"),
         {{"Detalle_id", FieldType::AutoInc, 0, -1, true, "Número de registro"},
          {"Cliente", FieldType::Int32, 0, -1, true, "Cliente"},
          {"Fecha", FieldType::Text, 10, -1, true, "Fecha", false, store::TextForm::Date},
          {"Tipo_comprobante", FieldType::Text, 60, -1, true, "Tipo de Comprobante"},
          // Form numbers are whole and never below zero, and so is the booklet count they give.
          {"NDesde", FieldType::Float, 0, 0, false, "N° Desde"},
          {"NHasta", FieldType::Float, 0, 0, false, "N° Hasta"},
          {"ProcesoN", FieldType::Float, 0, -1, true, "N° de Proceso"},
          {"Anio", FieldType::Text, 4, -1, true, "Año"},
          {"Anticipo", FieldType::Text, 2, -1, true, "Anticipo"},
          {"CanTalonarios", FieldType::Float, 0, 0, true, "Cantidad de Talonarios"},
          {"Anulado", FieldType::Text, 1, -1, true, "Anulado"},
          {"Punto_Venta", FieldType::Text, 4, -1, true, "Punto de Venta"},
          {"Importado", FieldType::Text, 1, -1, true, "Importado"}},
         // Lookups of rows by client and the open-period filter both stay quick on large tables.
         {{"indx_detalle_cliente", {"Cliente"}, false}, {"indx_detalle_periodo", {"Anio", "Anticipo"}, false}}},
        {QStringLiteral("Maquina.DB"),
         QStringLiteral("maquina"),
         {{"Detalle_id", FieldType::AutoInc, 0, -1, true, "Número de registro"},
          {"Cliente_id", FieldType::Int32, 0, -1, true, "Cliente"},
          {"Marca", FieldType::Text, 60, -1, true, "Marca"},
          {"Modelo", FieldType::Text, 60, -1, true, "Modelo"},
          {"Fecha", FieldType::Date, 0, -1, true, "Fecha"},
          {"Precio", FieldType::Float, 0, 2, false, "Precio"},  // edited as ###0.00
          {"Anio", FieldType::Text, 4, -1, true, "Año"},
          {"Anticipo", FieldType::Text, 2, -1, true, "Anticipo"},
          {"Anulado", FieldType::Text, 1, -1, true, "Anulado"},
          {"Codigo", FieldType::Text, 15, -1, true, "Código de Homologación"},
          {"Emision", FieldType::Text, 4, -1, true, "Punto de Venta o Emisión"},
          {"Serie", FieldType::Text, 30, -1, true, "N° de Serie"}},
         {{"indx_maquina_cliente", {"Cliente_id"}, false}, {"indx_maquina_periodo", {"Anio", "Anticipo"}, false}}},
        {QStringLiteral("Anticipos.db"),
         QStringLiteral("anticipos"),
         {{"Anio", FieldType::Text, 4, -1, true, "Año"},
          {"Anticipo", FieldType::Text, 2, -1, true, "Anticipo"},
          {"Rectificativa", FieldType::Float, 0, -1, true, "Rectificativa"},
          {"Rec_pre", FieldType::Float, 0, -1, true, "Última rectificativa generada"}},
         {{"indx_anticipos_periodo", {"Anio", "Anticipo"}, true}}},
        {QStringLiteral("Formularios.db"),
         QStringLiteral("formularios"),
         {{"Tipo_comprobante", FieldType::Text, 60, -1, true, "Tipo de Comprobante"},
          {"Cantidad", FieldType::Float, 0, -1, true, "Cantidad"}},
         {}},
    };
    return defs;
}

QList<store::ReferenceDef> references()
{
    return {
        {QStringLiteral("cliente"), QStringLiteral("Id_cliente"), QStringLiteral("detalle"), QStringLiteral("Cliente")},
        {QStringLiteral("cliente"), QStringLiteral("Id_cliente"), QStringLiteral("maquina"),
         QStringLiteral("Cliente_id")}};
}

const store::TableDef& table(const QString& tableName)
{
    static const QList<store::TableDef> defs = tables();
    for (const store::TableDef& def : defs)
        if (def.tableName.compare(tableName, Qt::CaseInsensitive) == 0)
            return def;
    throw store::StoreError(store::TableNotFound, QStringLiteral("La tabla %1 no existe.").arg(tableName));
}

}  // namespace schema
