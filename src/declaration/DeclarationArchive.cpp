#include "DeclarationArchive.h"

#include "DeclarationFile.h"
#include "Destination.h"
#include "PeriodFiling.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/files/SystemError.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"
#include "data/text/FixedFormats.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>

namespace archive {

namespace {

QString cellText(const QVariant& v)
{
    if (v.typeId() == QMetaType::Double)
        return store::formats::number(v.toDouble());
    return v.toString();
}

store::StoreError cannotWrite(const QString& path, const QString& reason)
{
    return store::StoreError(store::FileError, QStringLiteral("No se puede guardar la declaración en PDF %1 (%2).")
                                                   .arg(QDir::toNativeSeparators(path), reason));
}

}  // namespace

void setActivities(TDModulo& m, DeclarationData::Activity (&activities)[3])
{
    const store::Dataset* agent = m.TImprentas;
    const auto activity = [agent](const char* flag, const QString& name) {
        const bool on = agent->text(QString::fromLatin1(flag)) == QLatin1String("S");
        return DeclarationData::Activity{on ? name : QString(), on ? QStringLiteral("Rubro:") : QString()};
    };
    activities[0] = activity("Imprentas", QStringLiteral("Imprenta"));
    activities[1] = activity("VMR", QStringLiteral("Venta de Maquinas Registradoras"));
    activities[2] = activity("Autoimpresores", QStringLiteral("Autoimpresores"));
}

DeclarationData pageData(TDModulo& m, const QString& codigo, const QString& copyLabel)
{
    DeclarationData d;
    d.controlCode = codigo;
    d.copyLabel = copyLabel;
    setActivities(m, d.activities);
    d.fecha = QDate::currentDate();

    const store::Dataset* agent = m.TImprentas;
    d.nombre = agent->text(QStringLiteral("Nombre"));
    d.cuit = agent->text(QStringLiteral("Cuit"));
    d.inscripcion = agent->text(QStringLiteral("Inscripcion"));
    d.domicilio = agent->text(QStringLiteral("Domicilio"));
    d.localidad = agent->text(QStringLiteral("Localidad"));
    d.codigoPostal = agent->text(QStringLiteral("Codigo_Postal"));
    d.provincia = agent->text(QStringLiteral("Provincia"));

    const store::Dataset* period = m.TAnticipos;
    d.anio = period->text(QStringLiteral("Anio"));
    d.anticipo = period->text(QStringLiteral("Anticipo"));
    // A first declaration prints "0", also when its number was never stored.
    d.rectificativa = store::formats::number(period->asFloat(QStringLiteral("Rectificativa")));

    const store::Query* rows = m.Qrep;
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

QString pdfPath(TDModulo& m)
{
    const store::Dataset* period = m.TAnticipos;
    QString name = declarationStem(m.TImprentas->text(QStringLiteral("Cuit")), period->text(QStringLiteral("Anio")),
                                   period->text(QStringLiteral("Anticipo")));
    const qint64 amendment = qRound64(period->asFloat(QStringLiteral("Rectificativa")));
    if (amendment > 0)
        name += QStringLiteral("-R%1").arg(amendment);
    return QDir(destination::defaultFolder(m.aliasFolder())).filePath(name + QStringLiteral(".pdf"));
}

bool drawPdf(QIODevice& device, const QList<DeclarationData>& copies)
{
    QPdfWriter writer(&device);
    writer.setResolution(1200);
    writer.setCreator(QStringLiteral("Tarvenio"));
    if (!copies.isEmpty())
        writer.setTitle(QStringLiteral("Declaración Jurada %1-%2").arg(copies[0].anio, copies[0].anticipo));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    return declaration_page::render(writer, copies);
}

void writePdf(const DeclarationData& officeCopy, const QString& path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw cannotWrite(path, QStringLiteral("no se puede crear la carpeta"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotWrite(path, store::fileErrorReason(file, path));
    DeclarationData agentCopy = officeCopy;
    agentCopy.copyLabel = declaration_page::agentCopyLabel();
    if (!drawPdf(file, {officeCopy, agentCopy}))
        throw cannotWrite(path, QStringLiteral("no se pudo dibujar la página"));
    if (!file.commit())
        throw cannotWrite(path, store::fileErrorReason(file, path));
}

QString keepPdf(TDModulo& m, Prompt& prompt, const QString& codigo)
{
    QString path;
    try {
        path = pdfPath(m);
        writePdf(pageData(m, codigo, declaration_page::officeCopyLabel()), path);
    } catch (const store::StoreError& e) {
        prompt.error(e.text() + QStringLiteral(" La presentación quedó hecha; la declaración en PDF puede obtenerse "
                                               "luego desde \"Herramientas / Declaración en PDF…\"."));
        return {};
    }
    return path;
}

QString noPrinterNotice(const QString& pdf)
{
    return QStringLiteral(
               "No hay una impresora disponible: la declaración jurada no se imprimió. Sus dos copias "
               "quedaron guardadas en %1.")
        .arg(QDir::toNativeSeparators(pdf));
}

QString pdfOfFiledPeriod(TDModulo& m, const QString& anio, const QString& anticipo)
{
    const QString stored = TDModulo::storedAnticipo(anticipo);
    if (!m.TAnticipos->findKey({anio, stored}))
        throw store::StoreError(store::RowGone,
                                QStringLiteral("El anticipo %1 del año %2 no fue presentado.").arg(stored, anio));
    const QString path = pdfPath(m);
    if (QFileInfo(path).isFile())
        return path;
    {
        // The report rows are made again in one change: its two steps would commit apart.
        store::Transaction change(m.Session1_1->database());
        filing::prepareReport(m, anio, stored);
        change.commit();
    }
    const QString codigo = CodigoControl(anio, stored, m.TImprentas->text(QStringLiteral("Cuit")));
    writePdf(pageData(m, codigo, declaration_page::officeCopyLabel()), path);
    return path;
}

}  // namespace archive
