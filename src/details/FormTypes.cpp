#include "FormTypes.h"

const QStringList& formTypes()
{
    static const QStringList list = {
        QStringLiteral("Facturas A"),
        QStringLiteral("Notas de Debito A"),
        QStringLiteral("Notas de Crédito A"),
        QStringLiteral("Recibos A"),
        QStringLiteral("Notas de Ventas al Contado A"),
        QStringLiteral("Facturas B"),
        QStringLiteral("Notas de Debito B"),
        QStringLiteral("Notas de Crédito B"),
        QStringLiteral("Recibos B"),
        QStringLiteral("Notas de Ventas al Contado B"),
        QStringLiteral("Factura C"),
        QStringLiteral("Recibos C"),
        QStringLiteral("Facturas de Crédito"),
        QStringLiteral("Recibo de Factura de Crédito R"),
        QStringLiteral("Recibo de Factura de Crédito X"),
        QStringLiteral("Comprobante de Compra de Bienes Usados"),
        QStringLiteral("Comprobantes A del Art. 3° inc E) RG 3419"),
        QStringLiteral("Comprobantes B del Art. 3° inc E) RG 3419"),
        QStringLiteral("Notas de Debito o Dcto Equivalente que Cumpla con la RG 3419"),
        QStringLiteral("Notas de Credito o Dcto Equivalente que Cumpla con la RG 3419"),
        QStringLiteral("Otros Comprobantes A Cumplan con la RG 3419"),
        QStringLiteral("Otros Comprobantes B Cumplan con la RG 3419"),
        QStringLiteral("Cuentas de Venta y Liquido Producto A"),
        QStringLiteral("Cuentas de Venta y Liquido Producto B"),
        QStringLiteral("Liquidaciones A"),
        QStringLiteral("Liquidaciones B"),
        QStringLiteral("Remitos R"),
    };
    return list;
}
