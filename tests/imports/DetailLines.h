#pragma once

// The messages of a detail import run, and what the detail import tests share beside the lines
// of ImportLines.h.

#include "imports/DetailImport.h"

#include "ImportFixture.h"
#include "ImportLines.h"

#include <QString>
#include <memory>

inline const QString Confirm = QStringLiteral("Se cargara el archivo seleccionado");

inline QString failed(int line, int code)
{
    return QStringLiteral(
               "Fallo en registro Nº %1 con error: %2. Deberá Cargar Nuevamente la DJ.\r"
               "¿Desea obtener más Información?")
        .arg(line)
        .arg(code);
}

using fixture::DetailLayout;
using fixture::detailLine;

inline const QString Stored = QStringLiteral(
    "Cliente, Fecha, Tipo_comprobante, NDesde, NHasta, CanTalonarios, Punto_Venta, "
    "Importado, Anulado, Anio, Anticipo, ProcesoN");

// What the detail import tests share: the tables, made on first use with two clients (the line
// codes need no tables), and a run the user confirms.
class DetailImportTest : public QObject {
protected:
    std::unique_ptr<fixture::Imports> m_f;
    qint64 m_alfa = 0;
    qint64 m_beta = 0;

    fixture::Imports& f()
    {
        if (!m_f) {
            m_f = std::make_unique<fixture::Imports>();
            m_alfa = m_f->addClient(fixture::cuitFor(1), QStringLiteral("ALFA SRL"));
            m_beta = m_f->addClient(fixture::cuitFor(2), QStringLiteral("BETA SA"));
        }
        return *m_f;
    }

    // "Se cargara el archivo seleccionado" answered Ok.
    imports::DetailOutcome run(const QStringList& lines)
    {
        f().prompt.answer(PromptButton::Ok);
        return imports::importDetails(f().m(), f().m().prompt(),
                                      f().write(QStringLiteral("detalle.txt"), fixture::fileOf(lines)), DetailLayout);
    }

    int imported() { return f().count(QStringLiteral("detalle"), QStringLiteral("Importado = 'S'")); }
};
