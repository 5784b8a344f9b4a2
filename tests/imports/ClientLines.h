#pragma once

// What the client import tests share beside the lines of ImportLines.h.

#include "imports/ClientImport.h"

#include "ImportFixture.h"
#include "ImportLines.h"

#include <QString>
#include <memory>

using fixture::ClientLayout;
using fixture::clientLine;

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
