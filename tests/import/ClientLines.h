#pragma once

// Client register lines in the layout of the client import tests.

#include "import/ClientImport.h"

#include "ImportFixture.h"

#include <QString>
#include <memory>

// The register layout of these tests: C.U.I.T. 1-11, name 12-41, registration 42-51, address
// 52-81, locality 82-101, postal code 102-107, province 108-127.
inline const import::ClientColumns Layout{{1, 11}, {12, 41}, {42, 51}, {52, 81}, {82, 101}, {102, 107}, {108, 127}};

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

inline const QString OnlyComplete = QStringLiteral("Solo se cargaran los Contribuyentes con datos completos");

inline const QString ClientColumnsText =
    QStringLiteral("Cuit, Razon_Social, Inscripcion, Domicilio, Localidad, Codigo_Postal, Provincia");

// What the client import tests share: the tables, made on first use (the line rules need none).
class ClientImportTest : public QObject {
protected:
    std::unique_ptr<fixture::Imports> m_f;
    fixture::Imports& f()
    {
        if (!m_f)
            m_f = std::make_unique<fixture::Imports>();
        return *m_f;
    }

    QStringList clients() { return f().rows(QStringLiteral("cliente"), ClientColumnsText); }
};
