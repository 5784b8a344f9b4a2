// A post of one row on tables of 1,000,000 rows in the whole program: the main window up with
// its views open, the client list showing the 1,000,000 clients and the workbench showing the
// 1,000,000 open printed-forms rows (whose lookups read the clients). Each figure is the median
// of many posts, timed until the windows have painted the change, beside the floor measured in
// the same run: the same one-row change made by one prepared SQLite statement committed alone.
// Usage: bench_post [rows] [posts]
// Runs on the offscreen platform unless QT_QPA_PLATFORM or DISPLAY is set.

#include "BenchTools.h"
#include "LargeStore.h"
#include "SampleCuit.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/AliasConfig.h"
#include "data/store/Database.h"
#include "details/windows/UDetalleG.h"
#include "shell/windows/Principal.h"
#include "shell/windows/Startup.h"
#include "shell/windows/UClientesMod.h"
#include "widgets/Application.h"
#include "widgets/DialogPrompt.h"

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

using fixture::cuitFor;

namespace {

void expect(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "%s\n", what);
}

// A post as the user makes it, timed until the windows have taken it in and painted.
double posted(const std::function<void()>& post)
{
    return timed([&] {
        post();
        QCoreApplication::processEvents();
    });
}

bool report(const char* what, double ms, double floor)
{
    const bool met = ms < 5.0;
    std::printf("  %-44s %7.2f ms   floor %6.2f ms   (target < 5 ms)%s\n", what, ms, floor, met ? "" : "  MISSED");
    std::fflush(stdout);
    return met;
}

}  // namespace

int main(int argc, char** argv)
{
    offscreenUnlessOnAScreen();
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("tarvenio"));
    const int rows = argc > 1 ? std::max(100, atoi(argv[1])) : 1000000;
    const int posts = argc > 2 ? std::max(3, atoi(argv[2])) : 25;
    QTemporaryDir dir;
    DialogPrompt prompt;
    Prompt::install(&prompt);
    store::AliasConfig config(dir.filePath(QStringLiteral("store.conf")));
    std::printf("filling %d clients and %d open printed-forms rows...\n", rows, rows);
    std::fflush(stdout);
    {
        InstalledPrompt installedPrompt;
        TDModulo filler(&config, installedPrompt, dir.filePath(QStringLiteral("tablas")));
        // Every other C.U.I.T. number: the posts below fall between the rows.
        fillClientsAndDetails(filler.Session1_1->database(), rows, [rows](int i) { return 2 * scattered(i, rows); });
    }

    createForms(&config, dir.filePath(QStringLiteral("tablas")));
    TDModulo& m = *DModulo;
    FPrincipal->show();
    FPrincipal->activateWindow();
    expect(QTest::qWaitForWindowActive(FPrincipal), "FPrincipal did not show");
    const double listShown = timed([] {
        FClienteMod->show();
        expect(QTest::qWaitForWindowExposed(FClienteMod), "FClienteMod did not show");
    });
    const double workbenchShown = timed([] {
        FDetalle->show();
        expect(QTest::qWaitForWindowExposed(FDetalle), "FDetalle did not show");
    });
    std::printf("client list shown over %d clients: %.1f ms; workbench over %d rows: %.1f ms\n", rows, listShown, rows,
                workbenchShown);

    // The floor: the same changes, one prepared statement each, each committed alone.
    store::Database& db = m.Session1_1->database();
    QList<double> floorInsert, floorUpdate;
    for (int i = 0; i < posts; ++i) {
        floorInsert << timed([&] {
            store::Transaction t(db);
            store::Statement insert(db, QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social) VALUES (?, 'PISO')")
                                            .arg(db.qualifiedTable(QStringLiteral("cliente"))));
            insert.bind(1, cuitFor(4 * rows + 2 * i + 1));
            insert.step();
            t.commit();
        });
        floorUpdate << timed([&] {
            store::Transaction t(db);
            store::Statement update(db, QStringLiteral("UPDATE %1 SET Razon_Social = ? WHERE rowid = ?")
                                            .arg(db.qualifiedTable(QStringLiteral("cliente"))));
            update.bind(1, QStringLiteral("PISO %1").arg(i));
            update.bind(2, qint64(1 + i));
            update.step();
            t.commit();
        });
    }
    m.TCliente->refresh();  // the floor's rows were not told to the views
    QCoreApplication::processEvents();

    QList<double> clientInsert, clientEdit, detailInsert, detailEdit;
    for (int i = 0; i < posts; ++i) {
        clientInsert << posted([&] {
            m.TCliente->insert();
            m.TCliente->setText(QStringLiteral("Cuit"), cuitFor(2 * scattered(i, rows) + 1));
            m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("NUEVO CLIENTE %1").arg(i));
            m.TCliente->post();
        });
        clientEdit << posted([&] {
            m.TCliente->edit();
            m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("CAMBIADO %1").arg(i));
            m.TCliente->post();
        });
        detailInsert << posted([&] {
            m.TDetalles->insert();
            m.TDetalles->setValue(QStringLiteral("Cliente"), 1 + i);
            m.TDetalles->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("REMITO R"));
            m.TDetalles->setValue(QStringLiteral("NDesde"), 1);
            m.TDetalles->setValue(QStringLiteral("NHasta"), 50);
            m.TDetalles->post();
        });
        detailEdit << posted([&] {
            m.TDetalles->edit();
            m.TDetalles->setValue(QStringLiteral("NHasta"), 100 + i);
            m.TDetalles->post();
        });
    }
    const double fi = median(floorInsert), fu = median(floorUpdate);
    std::printf("a post on tables of %d rows, median of %d posts, painted\n", rows, posts);
    bool ok = report("new client (into the client list's order)", median(clientInsert), fi);
    ok = report("client edited", median(clientEdit), fu) && ok;
    ok = report("new printed-forms row (workbench)", median(detailInsert), fi) && ok;
    ok = report("printed-forms row edited (workbench)", median(detailEdit), fu) && ok;
    std::printf("  peak memory of the process                   %8ld kB\n", peakRssKb());
    FDetalle->hide();
    FClienteMod->hide();
    destroyForms();
    Prompt::install(nullptr);
    return ok ? 0 : 1;
}
