#pragma once

#include <QDate>
#include <QList>
#include <QString>

class QPagedPaintDevice;

// Everything the printed declaration shows, already read from the tables.
struct DeclarationData {
    struct Activity {
        QString name;   // "Imprenta", … or empty
        QString rubro;  // "Rubro:" or empty
    };
    struct BodyRow {
        int orden = 0;  // 1: a form-type total, 2: a machine
        QString tc;     // form type or brand
        QString cant;   // booklet total (form totals only)
        QString temp;   // model (machines only)
    };

    QString nombre, cuit, inscripcion, domicilio, localidad, codigoPostal, provincia;
    QString anio, anticipo, rectificativa;
    QDate fecha;
    QString controlCode;
    Activity activities[3];  // printing shop, machine vendor, self-printer
    QString copyLabel;
    QList<BodyRow> rows;  // form totals first, then machines
};

// Draws the declaration on A4 portrait pages, to the millimetre, on any paged device
// (a printer or a PDF file). Uses QtGui only.
namespace declaration_page {

// Draws every page of one copy; false when the device could not be opened for painting.
bool render(QPagedPaintDevice& device, const DeclarationData& data);
// Every page of each copy in turn, as they are printed one after the other.
bool render(QPagedPaintDevice& device, const QList<DeclarationData>& copies);

// Number of pages one copy takes.
int pageCount(const DeclarationData& data);

// Fixed texts of the page, shared with the report and its tests.
QString ministryLine();
QString directorateLine();
QString provinceLine();
QString swornStatement();
QString officeCopyLabel();  // the copy kept by the revenue office
QString agentCopyLabel();   // "Para el Agente"

}  // namespace declaration_page
