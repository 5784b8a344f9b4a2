#pragma once

#include "declaration/DeclarationPage.h"
#include "widgets/FormInstance.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QPagedPaintDevice;
class TDModulo;

// The printed declaration of a period: the agent row of TImprentas, the current period row of
// TAnticipos and the rows of Qrep (open for the period) on an A4 page, printed in two copies on
// the default printer. The labels below are what the caller sets before printing; they keep
// their values until set again.
class TQReporte : public QObject {
    Q_OBJECT
public:
    explicit TQReporte(QObject* parent = nullptr);
    ~TQReporte() override;

    QString QRLabel5;   // copy label, top right
    QString QRLabel22;  // control code of the declaration file
    QString QRLabel25;  // "Imprenta"
    QString QRLabel26;  // "Venta de Maquinas Registradoras"
    QString QRLabel27;  // "Autoimpresores"
    QString QRLabel28;  // "Rubro:" beside QRLabel25
    QString QRLabel29;  // "Rubro:" beside QRLabel26
    QString QRLabel30;  // "Rubro:" beside QRLabel27

    static const QString OfficeCopy;  // the copy kept by the revenue office
    static const QString AgentCopy;   // "Para el Agente"

    // The control code and the activity labels from the agent's flags.
    void setLabels(const QString& codigoControl);

    // The data module the page is read from; the program's own unless another is given.
    void useModule(TDModulo& modulo) { m_modulo = &modulo; }

    // Sets the labels from the control code and the agent's flags and prints the office copy,
    // then the agent copy. With no printer nothing is printed and nothing is said. Answers the
    // number of copies sent to the printer.
    int ImprimirDeclaracion(const QString& codigoControl);

    // One copy, as the labels stand, on the default printer; false when none was printed.
    bool Print();
    // Whether the last copy found no printer at all (rather than one that failed).
    bool noPrinter() const { return m_noPrinter; }

    // One copy, as the labels stand, into a PDF file; false when the file cannot be written.
    bool renderToPdf(const QString& path);

    // What the page shows, read from the data module now.
    DeclarationData pageData() const;

    // Opens the device a copy is printed on, or answers nullptr when there is no printer.
    // The program's one opens the default printer; tests put PDF files in its place.
    using PrinterFactory = std::function<std::unique_ptr<QPagedPaintDevice>(const QString& jobName)>;
    void setPrinterFactory(PrinterFactory factory);

private:
    TDModulo& modulo() const;

    TDModulo* m_modulo = nullptr;
    PrinterFactory m_printerFactory;
    bool m_noPrinter = false;
};

extern FormInstance<TQReporte> QReporte;
