#include "UReporte.h"

#include "data/Prompt.h"
#include "data/UModulo.h"
#include "declaration/DeclarationArchive.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>

FormInstance<TQReporte> QReporte;

const QString TQReporte::OfficeCopy = declaration_page::officeCopyLabel();
const QString TQReporte::AgentCopy = declaration_page::agentCopyLabel();

namespace {

std::unique_ptr<QPagedPaintDevice> defaultPrinter(const QString& jobName)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return nullptr;
    printer->setDocName(jobName);
    printer->setCreator(QStringLiteral("Tarvenio"));
    // The page is drawn from the paper's corner; its own 10 mm margins are part of the drawing.
    printer->setFullPage(true);
    printer->setCopyCount(1);
    return printer;
}

}  // namespace

TQReporte::TQReporte(QObject* parent) : QObject(parent), m_printerFactory(defaultPrinter)
{
    setObjectName(QStringLiteral("QReporte"));
}

TQReporte::~TQReporte() = default;

void TQReporte::setPrinterFactory(PrinterFactory factory)
{
    m_printerFactory = factory ? std::move(factory) : PrinterFactory(defaultPrinter);
}

TDModulo& TQReporte::modulo() const { return m_modulo ? *m_modulo : *DModulo; }

void TQReporte::setLabels(const QString& codigoControl)
{
    QRLabel22 = codigoControl;
    DeclarationData::Activity activities[3];
    archive::setActivities(modulo(), activities);
    QRLabel25 = activities[0].name;
    QRLabel28 = activities[0].rubro;
    QRLabel26 = activities[1].name;
    QRLabel29 = activities[1].rubro;
    QRLabel27 = activities[2].name;
    QRLabel30 = activities[2].rubro;
}

int TQReporte::ImprimirDeclaracion(const QString& codigoControl)
{
    setLabels(codigoControl);
    QRLabel5 = OfficeCopy;
    const bool office = Print();
    QRLabel5 = AgentCopy;
    // With no printer, or one that failed, the agent copy would go the same way.
    const bool agentCopy = office && Print();
    return int(office) + int(agentCopy);
}

bool TQReporte::Print()
{
    const DeclarationData data = pageData();
    const QString jobName = QStringLiteral("Declaración Jurada %1-%2 %3").arg(data.anio, data.anticipo, data.copyLabel);
    std::unique_ptr<QPagedPaintDevice> printer = m_printerFactory(jobName);
    m_noPrinter = !printer;
    if (!printer)
        return false;
    if (!declaration_page::render(*printer, data)) {
        // The filing it follows stays done; the user can print the period again later.
        Prompt::current().error(QStringLiteral("No se pudo imprimir la declaración jurada (%1).").arg(data.copyLabel));
        return false;
    }
    return true;
}

bool TQReporte::renderToPdf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && archive::drawPdf(file, {pageData()});
}

DeclarationData TQReporte::pageData() const
{
    DeclarationData d = archive::pageData(modulo(), QRLabel22, QRLabel5);
    // What the caller set stands, whatever the agent's flags say now.
    d.activities[0] = {QRLabel25, QRLabel28};
    d.activities[1] = {QRLabel26, QRLabel29};
    d.activities[2] = {QRLabel27, QRLabel30};
    return d;
}
