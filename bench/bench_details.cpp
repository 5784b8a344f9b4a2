// Figures for the period workbench and its entry dialogs on large tables: the workbench opening
// and scrolling over 100,000 open printed-forms rows and 100,000 machine rows, and the client
// drop-downs of the entry dialogs over 100,000 clients (reading the list, type-ahead, picking).
// Usage: bench_details [rows]   (runs on the offscreen platform unless QT_QPA_PLATFORM is set)

#include "BenchTools.h"
#include "SampleCuit.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/Database.h"
#include "declaration/windows/UPresentaciones.h"
#include "details/windows/UCDetalles.h"
#include "details/windows/UDetalleG.h"
#include "details/windows/UGMaquinas.h"
#include "widgets/DBGrid.h"
#include "widgets/DBLookupComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>

using fixture::cuitFor;

namespace {

void report(const QString& what, double ms)
{
    std::printf("%-66s %10.2f ms\n", qPrintable(what + QLatin1Char(':')), ms);
    std::fflush(stdout);
}

// Names spread over the alphabet the way a client register is, so a typed beginning narrows
// the list as it would in use.
QString nameFor(int n)
{
    static const char* surnames[] = {"ACOSTA",   "BENITEZ",  "CASTRO",  "DIAZ",    "ESPINOSA", "FERNANDEZ",
                                     "GIMENEZ",  "GONZALEZ", "HERRERA", "IBAÑEZ",  "JUAREZ",   "LOPEZ",
                                     "MARTINEZ", "NUÑEZ",    "ORTIZ",   "PEREZ",   "QUIROGA",  "RODRIGUEZ",
                                     "SOSA",     "TORRES",   "URQUIZA", "VAZQUEZ", "YAÑEZ",    "ZALAZAR"};
    static const char* names[] = {"ANA",   "CARLOS", "DANIEL", "ELENA", "JORGE",
                                  "LAURA", "MARIA",  "PABLO",  "ROSA",  "SERGIO"};
    return QStringLiteral("%1 %2 %3")
        .arg(QString::fromUtf8(surnames[n % 24]), QString::fromUtf8(names[(n / 24) % 10]))
        .arg(n);
}

void fill(TDModulo& m, int rows)
{
    store::Database& db = m.Session1_1->database();
    store::Transaction transaction(db);
    store::Statement agent(db, QStringLiteral("INSERT INTO %1 (Cuit, Nombre, Imprentas, VMR, Autoimpresores) "
                                              "VALUES (?, 'IMPRENTA DEL SOL', 'S', 'S', 'N')")
                                   .arg(db.qualifiedTable(QStringLiteral("imprenta"))));
    agent.bind(1, cuitFor(99999999));
    agent.step();
    store::Statement client(db, QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social) VALUES (?, ?)")
                                    .arg(db.qualifiedTable(QStringLiteral("cliente"))));
    store::Statement detail(db,
                            QStringLiteral("INSERT INTO %1 (Cliente, Fecha, Tipo_comprobante, NDesde, NHasta, "
                                           "CanTalonarios, Anulado, Punto_Venta) VALUES (?, ?, ?, ?, ?, 50, 'N', ?)")
                                .arg(db.qualifiedTable(QStringLiteral("detalle"))));
    store::Statement machine(db, QStringLiteral("INSERT INTO %1 (Cliente_id, Marca, Modelo, Fecha, Precio, Anulado) "
                                                "VALUES (?, 'REGISTRA', ?, '2024-03-15', ?, 'N')")
                                     .arg(db.qualifiedTable(QStringLiteral("maquina"))));
    for (int i = 1; i <= rows; ++i) {
        client.reset();
        client.bind(1, cuitFor(i));
        client.bind(2, nameFor(i));
        client.step();

        detail.reset();
        detail.bind(1, qint64(i % rows + 1));
        detail.bind(2, QStringLiteral("15/03/2024"));
        detail.bind(3, QStringLiteral("Facturas %1").arg(QChar(u'A' + i % 3)));
        detail.bind(4, double(i * 50 + 1));
        detail.bind(5, double(i * 50 + 50));
        detail.bind(6, QStringLiteral("%1").arg(i % 20 + 1, 4, 10, QLatin1Char('0')));
        detail.step();

        machine.reset();
        machine.bind(1, qint64((i * 7) % rows + 1));
        machine.bind(2, QStringLiteral("RX-%1").arg(i % 500));
        machine.bind(3, 1000.0 + i % 9000 + 0.5);
        machine.step();
    }
    transaction.commit();
}

void settle() { QCoreApplication::processEvents(); }

void paint(QWidget* w)
{
    w->repaint();
    settle();
}

void activate(QWidget* window)
{
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        std::fprintf(stderr, "%s did not become active\n", qPrintable(window->objectName()));
}

void key(Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); }

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    store::AliasConfig config(dir.filePath(QStringLiteral("store.conf")));
    InstalledPrompt installedPrompt;
    TDModulo m(&config, installedPrompt, dir.filePath(QStringLiteral("tablas")));
    DModulo = &m;

    report(QStringLiteral("fill %1 clients, open detail and machine rows").arg(rows), timed([&] { fill(m, rows); }));
    m.Session1_1->setActive(false);  // what follows starts from the files, as the program does
    report(QStringLiteral("AbrirTablas"), timed([&] { m.AbrirTablas(); }));

    report(QStringLiteral("create the workbench and both entry dialogs"), timed([&] {
               FCDetalles = new TFCDetalles;
               FGMaquina = new TFGMaquina;
               FPresentaciones = new TFPresentaciones;
               FDetalle = new TFDetalle;
           }));

    // ------------------------------------------------------------ workbench
    auto* grid1 = FDetalle->findChild<DBGrid*>(QStringLiteral("DBGrid1"));
    auto* grid2 = FDetalle->findChild<DBGrid*>(QStringLiteral("DBGrid2"));
    report(QStringLiteral("workbench: show and first paint (%1 open rows)").arg(rows), timed([&] {
               FDetalle->show();
               settle();
               paint(FDetalle);
           }));
    activate(FDetalle);
    grid1->setFocus();

    const int pages = 200;
    double ms = timed([&] {
        for (int i = 0; i < pages; ++i) {
            grid1->verticalScrollBar()->setValue(grid1->verticalScrollBar()->value() +
                                                 grid1->verticalScrollBar()->pageStep());
            paint(grid1->viewport());
        }
    });
    report(QStringLiteral("workbench: scroll a page and paint (mean of %1)").arg(pages), ms / pages);
    report(QStringLiteral("workbench: jump to the last row (Ctrl+End) and paint"), timed([&] {
               QTest::keyClick(grid1, Qt::Key_End, Qt::ControlModifier);
               paint(grid1->viewport());
           }));
    ms = timed([&] {
        for (int i = 0; i < pages; ++i) {
            QTest::keyClick(grid1, Qt::Key_PageUp);
            paint(grid1->viewport());
        }
    });
    report(QStringLiteral("workbench: Page Up, current row follows, paint (mean of %1)").arg(pages), ms / pages);
    report(QStringLiteral("workbench: middle of the list by the scroll bar and paint"), timed([&] {
               grid1->verticalScrollBar()->setValue(grid1->verticalScrollBar()->maximum() / 2);
               paint(grid1->viewport());
           }));
    report(QStringLiteral("workbench: machines page, first paint"), timed([&] {
               FDetalle->findChild<QTabWidget*>()->setCurrentIndex(1);
               settle();
               paint(FDetalle);
           }));
    ms = timed([&] {
        for (int i = 0; i < pages; ++i) {
            grid2->verticalScrollBar()->setValue(grid2->verticalScrollBar()->value() +
                                                 grid2->verticalScrollBar()->pageStep());
            paint(grid2->viewport());
        }
    });
    report(QStringLiteral("workbench: machines, scroll a page and paint (mean of %1)").arg(pages), ms / pages);
    FDetalle->findChild<QTabWidget*>()->setCurrentIndex(0);

    // ------------------------------------------------------------ client drop-downs
    auto* names = FCDetalles->findChild<DBLookupComboBox*>(QStringLiteral("DBLookupComboBox1"));
    auto* cuits = FCDetalles->findChild<DBLookupComboBox*>(QStringLiteral("DBLookupComboBox2"));
    m.TDetalles->insert();
    report(QStringLiteral("printed-forms dialog: show"), timed([&] {
               FCDetalles->show();
               settle();
               paint(FCDetalles);
           }));
    activate(FCDetalles);
    names->setFocus(Qt::TabFocusReason);
    settle();

    const QString wanted = nameFor(rows * 2 / 3);
    report(QStringLiteral("names: first letter (reads and sorts %1 names)").arg(rows),
           timed([&] { QTest::keyClicks(QApplication::focusWidget(), wanted.left(1)); }));
    const QString rest = wanted.mid(1);
    ms = timed([&] { QTest::keyClicks(QApplication::focusWidget(), rest); });
    report(QStringLiteral("names: type-ahead, each further letter (mean of %1)").arg(rest.size()), ms / rest.size());
    const bool completed = names->currentText() == wanted;
    report(QStringLiteral("names: leave the box (client set, C.U.I.T. follows)"), timed([&] {
               key(Qt::Key_Tab);
               settle();
           }));
    const bool followed = cuits->currentText() == cuitFor(rows * 2 / 3);

    const QString otherCuit = cuitFor(rows / 5);
    report(QStringLiteral("C.U.I.T.s: first digit (reads and sorts %1 C.U.I.T.s)").arg(rows),
           timed([&] { QTest::keyClicks(QApplication::focusWidget(), otherCuit.left(1)); }));
    ms = timed([&] { QTest::keyClicks(QApplication::focusWidget(), otherCuit.mid(1, 9)); });
    report(QStringLiteral("C.U.I.T.s: type-ahead, each further digit (mean of 9)"), ms / 9);
    report(QStringLiteral("C.U.I.T.s: leave the box (name follows)"), timed([&] {
               key(Qt::Key_Tab);
               settle();
           }));
    const bool followedBack = names->currentText() == nameFor(rows / 5);

    names->setFocus(Qt::TabFocusReason);
    settle();
    report(QStringLiteral("names: open the list on the client and paint it"), timed([&] {
               names->showPopup();
               settle();
               paint(names->view()->viewport());
           }));
    ms = timed([&] {
        for (int i = 0; i < 50; ++i) {
            QTest::keyClick(names->view(), Qt::Key_PageDown);
            paint(names->view()->viewport());
        }
    });
    report(QStringLiteral("names: Page Down in the open list and paint (mean of 50)"), ms / 50);
    report(QStringLiteral("names: to the end of the open list and paint"), timed([&] {
               QTest::keyClick(names->view(), Qt::Key_End);
               paint(names->view()->viewport());
           }));
    report(QStringLiteral("names: pick (Enter in the list; client set, C.U.I.T. follows)"), timed([&] {
               QTest::keyClick(names->view(), Qt::Key_Return);
               settle();
           }));
    const bool picked = m.TDetalles->text(QStringLiteral("Razon_social")) == names->listModel().valueAt(rows - 1);

    FCDetalles->findChild<QWidget*>(QStringLiteral("BitBtn2"))->setFocus();
    QTest::keyClick(FCDetalles->findChild<QWidget*>(QStringLiteral("BitBtn2")), Qt::Key_Space);  // Cancelar
    settle();

    // The machine dialog has lists of its own.
    m.TMaquinas->insert();
    FGMaquina->show();
    activate(FGMaquina);
    auto* machineNames = FGMaquina->findChild<DBLookupComboBox*>(QStringLiteral("DBLookupComboBox1"));
    machineNames->setFocus(Qt::TabFocusReason);
    report(QStringLiteral("machine dialog, names: whole name typed (first read included)"), timed([&] {
               QTest::keyClicks(QApplication::focusWidget(), wanted);
               key(Qt::Key_Tab);
           }));
    FGMaquina->close();
    settle();

    std::printf("%-66s %10ld kB\n", "peak RSS:", peakRssKb());
    delete FDetalle;
    delete FPresentaciones;
    delete FGMaquina;
    delete FCDetalles;
    DModulo = nullptr;
    if (!completed || !followed || !followedBack || !picked) {
        std::fprintf(stderr, "unexpected result: completed=%d followed=%d back=%d picked=%d\n", int(completed),
                     int(followed), int(followedBack), int(picked));
        return 1;
    }
    return 0;
}
