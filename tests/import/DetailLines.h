#pragma once

// Detail file lines in the layout of the detail import tests, and the messages of a run.

#include "import/DetailImport.h"

#include "ImportFixture.h"

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
    import::DetailOutcome run(const QStringList& lines) { f().prompt.answer(PromptButton::Ok);
    return import::importDetails(f().m(), f().write(QStringLiteral("detalle.txt"), fixture::fileOf(lines)), Layout);
}

    int imported()
{
    return f().count(QStringLiteral("detalle"), QStringLiteral("Importado = 'S'"));
}
}
;
