// Shows one window of the period details over a small sample, for screenshots by hand:
//   show_details workbench|machines|detail|machine|void|voidmachine [seconds]
// The window stays up for the given seconds (3 by default); take the picture meanwhile.

#include "DetailFixture.h"
#include "details/windows/URecMaquinas.h"
#include "details/windows/Uanular.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("workbench");
    const int seconds = argc > 2 ? QByteArray(argv[2]).toInt() : 3;
    fixture::Period period;
    TDModulo& m = period.m();

    const QString clients[] = {fixture::AlfaName, fixture::BetaName, fixture::GammaName};
    for (int i = 0; i < 12; ++i) {
        m.TDetalles->insert();
        m.TDetalles->setText("Fecha", QStringLiteral("%1/03/2024").arg(i + 1, 2, 10, QLatin1Char('0')));
        m.TDetalles->setValue("Cliente", period.clientId(clients[i % 3]));
        m.TDetalles->setText("Tipo_comprobante", QStringLiteral("Facturas %1").arg(QChar(u'A' + i % 2)));
        m.TDetalles->setValue("NDesde", 1001 + 50 * i);
        m.TDetalles->setValue("NHasta", 1050 + 50 * i);
        m.TDetalles->post();
        m.TMaquinas->insert();
        m.TMaquinas->setValue("Fecha", QDate(2024, 3, i + 1));
        m.TMaquinas->setValue("Cliente_id", period.clientId(clients[(i + 1) % 3]));
        m.TMaquinas->setText("Marca", "REGISTRA");
        m.TMaquinas->setText("Modelo", QStringLiteral("RX-44%1").arg(i));
        m.TMaquinas->setValue("Precio", 185400.5 + 1000 * i);
        m.TMaquinas->post();
    }
    m.TDetalles->first();
    m.TMaquinas->first();

    QDialog* window = FDetalle;
    if (which == QLatin1String("machines")) {
        FDetalle->findChild<QTabWidget*>()->setCurrentIndex(1);
    } else if (which == QLatin1String("detail")) {
        m.TDetalles->edit();
        window = FCDetalles;
    } else if (which == QLatin1String("machine")) {
        m.TMaquinas->edit();
        window = FGMaquina;
    } else if (which == QLatin1String("void")) {
        FAnular = new TFAnular;
        m.TVerDetalles->first();
        m.TVerDetalles->edit();
        FAnular->setMode(RowMode::Void);
        window = FAnular;
    } else if (which == QLatin1String("voidmachine")) {
        FAnulaMaquina = new TFAnulaMaquina;
        m.TVerMaquinas->first();
        m.TVerMaquinas->edit();
        FAnulaMaquina->setMode(RowMode::Void);
        window = FAnulaMaquina;
    }
    window->show();
    window->activateWindow();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    const int result = QApplication::exec();
    delete FAnulaMaquina;
    delete FAnular;
    return result;
}
