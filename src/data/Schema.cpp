#include "Schema.h"

#include "store/StoreError.h"

using store::FieldType;

namespace schema {

QList<store::TableDef> tables()
{
    static const QList<store::TableDef> defs{
        {QStringLiteral("imprenta.db"),
         QStringLiteral("imprenta"),
         {{"Cuit", FieldType::Text, 13},
          {"Nombre", FieldType::Text, 60},
          {"Inscripcion", FieldType::Text, 15},
          {"Domicilio", FieldType::Text, 50},
          {"Localidad", FieldType::Text, 30},
          {"Codigo_Postal", FieldType::Int16, 0},
          {"Provincia", FieldType::Text, 30},
          {"Imprentas", FieldType::Text, 1},
          {"VMR", FieldType::Text, 1},
          {"Autoimpresores", FieldType::Text, 1}},
         {}},
        {QStringLiteral("cliente.DB"),
         QStringLiteral("cliente"),
         {{"Id_cliente", FieldType::AutoInc, 0},
          {"Cuit", FieldType::Text, 13},
          {"Razon_Social", FieldType::Text, 60},
          {"Inscripcion", FieldType::Text, 15},
          {"Domicilio", FieldType::Text, 50},
          {"Localidad", FieldType::Text, 30},
          {"Codigo_Postal", FieldType::Text, 6},
          {"Provincia", FieldType::Text, 30}},
         {{"indx_cliente_cuit", {"Cuit"}, true}}},
        {QStringLiteral("detalle.DB"),
         QStringLiteral("detalle"),
         {{"Detalle_id", FieldType::AutoInc, 0},
          {"Cliente", FieldType::Int32, 0},
          {"Fecha", FieldType::Text, 10},
          {"Tipo_comprobante", FieldType::Text, 60},
          // Form numbers are never below zero; a fraction typed is rounded where they compare.
          {"NDesde", FieldType::Float, 0, -1, false},
          {"NHasta", FieldType::Float, 0, -1, false},
          {"ProcesoN", FieldType::Float, 0},
          {"Anio", FieldType::Text, 4},
          {"Anticipo", FieldType::Text, 2},
          {"CanTalonarios", FieldType::Float, 0},
          {"Anulado", FieldType::Text, 1},
          {"Punto_Venta", FieldType::Text, 4},
          {"Importado", FieldType::Text, 1}},
         // Lookups of rows by client and the open-period filter both stay quick on large tables.
         {{"indx_detalle_cliente", {"Cliente"}, false}, {"indx_detalle_periodo", {"Anio", "Anticipo"}, false}}},
        {QStringLiteral("Maquina.DB"),
         QStringLiteral("maquina"),
         {{"Detalle_id", FieldType::AutoInc, 0},
          {"Cliente_id", FieldType::Int32, 0},
          {"Marca", FieldType::Text, 60},
          {"Modelo", FieldType::Text, 60},
          {"Fecha", FieldType::Date, 0},
          {"Precio", FieldType::Float, 0, 2, false},  // edited as ###0.00
          {"Anio", FieldType::Text, 4},
          {"Anticipo", FieldType::Text, 2},
          {"Anulado", FieldType::Text, 1},
          {"Codigo", FieldType::Text, 15},
          {"Emision", FieldType::Text, 4},
          {"Serie", FieldType::Text, 30}},
         {{"indx_maquina_cliente", {"Cliente_id"}, false}, {"indx_maquina_periodo", {"Anio", "Anticipo"}, false}}},
        {QStringLiteral("Anticipos.db"),
         QStringLiteral("anticipos"),
         {{"Anio", FieldType::Text, 4},
          {"Anticipo", FieldType::Text, 2},
          {"Rectificativa", FieldType::Float, 0},
          {"Rec_pre", FieldType::Float, 0}},
         {{"indx_anticipos_periodo", {"Anio", "Anticipo"}, true}}},
        {QStringLiteral("Formularios.db"),
         QStringLiteral("formularios"),
         {{"Tipo_comprobante", FieldType::Text, 60}, {"Cantidad", FieldType::Float, 0}},
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
