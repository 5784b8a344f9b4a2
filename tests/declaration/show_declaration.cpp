// Shows one window of the declaration over a small sample, for screenshots by hand:
//   show_declaration generate|periods|period|amend [seconds]
// The window stays up for the given seconds (3 by default); take the picture meanwhile.
//   show_declaration page FILE.pdf [flags] [forms] [machines]
// writes the printed declaration of the sample period instead (flags: the agent's three
// activities as S/N, SSS by default; forms and machines: how many rows, 10 and 4 by default).

#include "../details/DetailFixture.h"
#include "declaration/DeclarationFile.h"
#include "declaration/windows/UGenRect.h"
#include "declaration/windows/URecVer.h"
#include "declaration/windows/UReporte.h"
#include "declaration/windows/UVer.h"
#include "declaration/windows/UVerDetalle.h"
#include "declaration/windows/WindowFiling.h"
#include "details/windows/URecMaquinas.h"
#include "details/windows/Uanular.h"

#include <QDir>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("generate");
    const int seconds = argc > 2 ? QByteArray(argv[2]).toInt() : 3;
    fixture::Period period;
    TDModulo& m = period.m();
    FVerDetalles = new TFVerDetalles;
    FVer = new TFVer;
    FAnular = new TFAnular;
    FAnulaMaquina = new TFAnulaMaquina;
    FGenRec = new TFGenRec;
    Frecver = new TFrecver;

    // Rows of 2024/02 filed, and rows of the open period.
    const bool page = which == QLatin1String("page");
    const int forms = page && argc > 4 ? atoi(argv[4]) : 10;
    const int machines = page && argc > 5 ? atoi(argv[5]) : 4;
    const QString clients[] = {fixture::AlfaName, fixture::BetaName};
    for (int i = 0; i < forms; ++i) {
        const bool filed = which != QLatin1String("generate");
        m.TVerDetalles->insert();
        m.TVerDetalles->setText("Fecha", QStringLiteral("%1/02/2024").arg(i + 1, 2, 10, QLatin1Char('0')));
        m.TVerDetalles->setValue("Cliente", period.clientId(clients[i % 2]));
        m.TVerDetalles->setText("Tipo_comprobante", QStringLiteral("Facturas %1").arg(QChar(u'A' + i % 26)));
        m.TVerDetalles->setValue("NDesde", 1001 + 50 * i);
        m.TVerDetalles->setValue("NHasta", 1050 + 50 * i);
        m.TVerDetalles->setValue("CanTalonarios", 50);
        m.TVerDetalles->setText("Anulado", i == 3 ? "S" : "N");
        m.TVerDetalles->setText("Anio", filed ? "2024" : "");
        m.TVerDetalles->setText("Anticipo", filed ? "02" : "");
        m.TVerDetalles->post();
    }
    for (int i = 0; i < machines; ++i) {
        m.TVerMaquinas->insert();
        m.TVerMaquinas->setValue("Fecha", QDate(2024, 2, 10 + i));
        m.TVerMaquinas->setValue("Cliente_id", period.clientId(clients[i % 2]));
        m.TVerMaquinas->setText("Marca", "REGISTRA");
        m.TVerMaquinas->setText("Modelo", QStringLiteral("RX-44%1").arg(i));
        m.TVerMaquinas->setValue("Precio", 1500.5 + 100 * i);
        if (which != QLatin1String("generate")) {
            m.TVerMaquinas->setText("Anio", "2024");
            m.TVerMaquinas->setText("Anticipo", "02");
        }
        m.TVerMaquinas->post();
    }
    for (const char* anticipo : {"01", "02"}) {
        m.TAnticipos->insert();
        m.TAnticipos->setText("Anio", "2024");
        m.TAnticipos->setText("Anticipo", anticipo);
        m.TAnticipos->post();
    }
    QDir().mkpath(QDir(m.aliasFolder()).filePath("ddjj/2024"));

    if (page) {
        const QString flags = argc > 3 ? QString::fromLatin1(argv[3]) : QStringLiteral("SSS");
        m.TImprentas->edit();
        m.TImprentas->setText("Imprentas", flags.mid(0, 1));
        m.TImprentas->setText("VMR", flags.mid(1, 1));
        m.TImprentas->setText("Autoimpresores", flags.mid(2, 1));
        m.TImprentas->post();
        m.TAnticipos->last();
        filing::prepareReport(*DModulo, "2024", "02");
        QReporte = new TQReporte(&app);
        QReporte->setLabels(CodigoControl("2024", "02", m.TImprentas->text("Cuit")));
        QReporte->QRLabel5 = TQReporte::OfficeCopy;
        return QReporte->renderToPdf(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }

    QDialog* window = FPresentaciones;
    if (which == QLatin1String("generate")) {
        m.TAnticipos->insert();
    } else if (which == QLatin1String("periods")) {
        window = FVer;
    } else {
        filing::showPeriod(*DModulo, "2024", "02");
        window = which == QLatin1String("amend") ? static_cast<QDialog*>(FGenRec) : FVerDetalles;
    }
    window->show();
    window->activateWindow();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return QApplication::exec();
}
