#pragma once

// Lines of a client register and of a detail file in the positions the import tests read them
// at, and the writing of the files made of them.

#include "SampleCuit.h"
#include "imports/ClientImport.h"
#include "imports/DetailImport.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace fixture {

// C.U.I.T. 1-11, name 12-41, registration 42-51, address 52-81, locality 82-101, postal code
// 102-107, province 108-127.
inline const imports::ClientColumns ClientLayout{{1, 11},   {12, 41},   {42, 51},  {52, 81},
                                                 {82, 101}, {102, 107}, {108, 127}};

// Date 1-10, name 11-30, C.U.I.T. 31-43, form type 44-63, first number 64-71, last number 72-79,
// point of sale 80-83.
inline const imports::DetailColumns DetailLayout{{1, 10}, {11, 30}, {31, 43}, {44, 63}, {64, 71}, {72, 79}, {80, 83}};

inline QString clientLine(const QString& cuit, const QString& name,
                          const QString& inscripcion = QStringLiteral("901-22"),
                          const QString& domicilio = QStringLiteral("San Martin 120"),
                          const QString& localidad = QStringLiteral("Rosario"),
                          const QString& cp = QStringLiteral("2000"),
                          const QString& provincia = QStringLiteral("Santa Fe"))
{
    return cuit.leftJustified(11, QLatin1Char(' '), true) + name.leftJustified(30, QLatin1Char(' '), true) +
           inscripcion.leftJustified(10, QLatin1Char(' '), true) + domicilio.leftJustified(30, QLatin1Char(' '), true) +
           localidad.leftJustified(20, QLatin1Char(' '), true) + cp.leftJustified(6, QLatin1Char(' '), true) +
           provincia.leftJustified(20, QLatin1Char(' '), true);
}

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

// Line i of a long register, every value numbered by i; no blanks follow the province.
inline QString numberedClientLine(int cuitNumber, int i)
{
    return clientLine(cuitFor(cuitNumber), QStringLiteral("CONTRIBUYENTE %1").arg(i), QStringLiteral("901-%1").arg(i),
                      QStringLiteral("CALLE %1").arg(i), QStringLiteral("ROSARIO"), QStringLiteral("2000"),
                      QStringLiteral("SANTA FE"))
        .trimmed();
}

// Line i of a long detail file: the i-th book of fifty Facturas B of point of sale 0001.
inline QString numberedDetailLine(const QString& cuit, const QString& name, const QString& fecha, int i)
{
    return detailLine(cuit, QString::number(i * 50 + 1), QString::number(i * 50 + 50), name, fecha,
                      QStringLiteral("Facturas B"), QStringLiteral("0001"));
}

// Lines as a file of CR LF lines.
inline QByteArray fileOf(const QStringList& lines)
{
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

inline void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

}  // namespace fixture
