#pragma once

// Detail file lines in the layout of the detail import tests, and the messages of a run.

#include "import/DetailImport.h"

#include <QString>

inline const QString Confirm = QStringLiteral("Se cargara el archivo seleccionado");

inline QString failed(int line, int code)
{
    return QStringLiteral(
               "Fallo en registro Nº %1 con error: %2. Deberá Cargar Nuevamente la DJ.\r"
               "¿Desea obtener más Información?")
        .arg(line)
        .arg(code);
}

// The layout of these tests: date 1-10, name 11-30, C.U.I.T. 31-43, form type 44-63, first
// number 64-71, last number 72-79, point of sale 80-83.
inline const import::DetailColumns Layout{{1, 10}, {11, 30}, {31, 43}, {44, 63}, {64, 71}, {72, 79}, {80, 83}};

inline QString detailLine(const QString& cuit, const QString& desde = QStringLiteral("101"),
                          const QString& hasta = QStringLiteral("150"),
                          const QString& name = QStringLiteral("Alfa SRL"),
                          const QString& fecha = QStringLiteral("05/04/2024"),
                          const QString& tipo = QStringLiteral("Facturas B"),
                          const QString& pv = QStringLiteral("a001"))
{
    return fecha.leftJustified(10, QLatin1Char(' '), true) + name.leftJustified(20, QLatin1Char(' '), true) +
           cuit.leftJustified(13, QLatin1Char(' '), true) + tipo.leftJustified(20, QLatin1Char(' '), true) +
           desde.rightJustified(8, QLatin1Char(' '), true) + hasta.rightJustified(8, QLatin1Char(' '), true) +
           pv.leftJustified(4, QLatin1Char(' '), true);
}

inline const QString Stored = QStringLiteral(
    "Cliente, Fecha, Tipo_comprobante, NDesde, NHasta, CanTalonarios, Punto_Venta, "
    "Importado, Anulado, Anio, Anticipo, ProcesoN");
