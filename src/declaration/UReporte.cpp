#include "UReporte.h"

#include "data/store/FixedFormats.h"

#include "data/Prompt.h"
#include "data/UModulo.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

FormInstance<TQReporte> QReporte;

const QString TQReporte::OfficeCopy = QStringLiteral("Para la D.R.P.");
const QString TQReporte::AgentCopy = QStringLiteral("Para el Agente");

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

QString cellText(const QVariant& v)
{
    if (v.typeId() == QMetaType::Double)
        return store::formats::number(v.toDouble());
    return v.toString();
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

void TQReporte::setLabels(const QString& codigoControl)
{
    QRLabel22 = codigoControl;
    store::Dataset* agent = DModulo->TImprentas;
    const auto activity = [agent](const char* flag, const QString& name, QString& nameLabel, QString& rubroLabel) {
        const bool on = agent->text(QString::fromLatin1(flag)) == QLatin1String("S");
        nameLabel = on ? name : QString();
        rubroLabel = on ? QStringLiteral("Rubro:") : QString();
    };
    activity("Imprentas", QStringLiteral("Imprenta"), QRLabel25, QRLabel28);
    activity("VMR", QStringLiteral("Venta de Maquinas Registradoras"), QRLabel26, QRLabel29);
    activity("Autoimpresores", QStringLiteral("Autoimpresores"), QRLabel27, QRLabel30);
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
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setCreator(QStringLiteral("Tarvenio"));
    writer.setTitle(QStringLiteral("Declaración Jurada"));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    return declaration_page::render(writer, pageData());
}

DeclarationData TQReporte::pageData() const
{
    DeclarationData d;
    d.controlCode = QRLabel22;
    d.copyLabel = QRLabel5;
    d.activities[0] = {QRLabel25, QRLabel28};
    d.activities[1] = {QRLabel26, QRLabel29};
    d.activities[2] = {QRLabel27, QRLabel30};
    d.fecha = QDate::currentDate();

    const store::Dataset* agent = DModulo->TImprentas;
    d.nombre = agent->text(QStringLiteral("Nombre"));
    d.cuit = agent->text(QStringLiteral("Cuit"));
    d.inscripcion = agent->text(QStringLiteral("Inscripcion"));
    d.domicilio = agent->text(QStringLiteral("Domicilio"));
    d.localidad = agent->text(QStringLiteral("Localidad"));
    d.codigoPostal = agent->text(QStringLiteral("Codigo_Postal"));
    d.provincia = agent->text(QStringLiteral("Provincia"));

    const store::Dataset* period = DModulo->TAnticipos;
    d.anio = period->text(QStringLiteral("Anio"));
    d.anticipo = period->text(QStringLiteral("Anticipo"));
    // A first declaration prints "0", also when its number was never stored.
    d.rectificativa = store::formats::number(period->asFloat(QStringLiteral("Rectificativa")));

    const store::Query* rows = DModulo->Qrep;
    if (!rows->active())
        throw store::StoreError(store::NotOpen, QStringLiteral("La consulta Qrep no está abierta."));
    for (int r = 0; r < rows->recordCount(); ++r) {
        DeclarationData::BodyRow row;
        row.orden = int(qRound64(rows->valueAt(r, QStringLiteral("orden")).toDouble()));
        row.tc = cellText(rows->valueAt(r, QStringLiteral("tc")));
        row.cant = cellText(rows->valueAt(r, QStringLiteral("cant")));
        row.temp = cellText(rows->valueAt(r, QStringLiteral("temp")));
        d.rows.append(row);
    }
    return d;
}
