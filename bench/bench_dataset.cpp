// Figures for the views on large tables: 100,000 clients and 100,000 open detail rows.
// Usage: bench_dataset [rows]

#include "BenchTools.h"
#include "LargeStore.h"
#include "SampleCuit.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/Database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

using fixture::cuitFor;

namespace {

void report(const QString& what, double ms)
{
    std::printf("%-58s %10.2f ms\n", qPrintable(what + QLatin1Char(':')), ms);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    store::AliasConfig config(dir.filePath(QStringLiteral("store.conf")));
    InstalledPrompt installedPrompt;
    TDModulo m(&config, installedPrompt, dir.filePath(QStringLiteral("tablas")));

    report(QStringLiteral("fill %1 clients + %1 open detail rows (one transaction)").arg(rows),
           timed([&] { fillClientsAndDetails(m.Session1_1->database(), rows, [](int i) { return i; }); }));
    m.Session1_1->setActive(false);  // what follows starts from the files, as the program does

    report(QStringLiteral("open session (check and attach the six files)"), timed([&] { m.Session1_1->database(); }));
    report(QStringLiteral("open TCliente (%1 rows)").arg(rows), timed([&] { m.TCliente->open(); }));
    report(QStringLiteral("open TDetalles (%1 rows, with lookups)").arg(rows), timed([&] { m.TDetalles->open(); }));

    int count = 0;
    report(QStringLiteral("recordCount TDetalles"), timed([&] { count = m.TDetalles->recordCount(); }));
    report(QStringLiteral("last TDetalles"), timed([&] { m.TDetalles->last(); }));

    const QStringList fields = m.TDetalles->fieldNames();
    qsizetype characters = 0;
    report(QStringLiteral("read last screenful (30 rows x %1 columns)").arg(fields.size()), timed([&] {
               for (int position = count - 30; position < count; ++position)
                   for (const QString& field : fields)
                       characters += m.TDetalles->textAt(position, field).size();
           }));

    bool found = false;
    const QString wanted = cuitFor(rows * 3 / 4);
    report(QStringLiteral("findKey C.U.I.T. in TCliente"), timed([&] { found = m.TCliente->findKey({wanted}); }));

    report(QStringLiteral("post one insert into TDetalles"), timed([&] {
               m.TDetalles->insert();
               m.TDetalles->setValue(QStringLiteral("Cliente"), 1);
               m.TDetalles->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("REMITO R"));
               m.TDetalles->setValue(QStringLiteral("NDesde"), 1);
               m.TDetalles->setValue(QStringLiteral("NHasta"), 50);
               m.TDetalles->post();
           }));
    report(QStringLiteral("recordCount TDetalles after the post"), timed([&] { count = m.TDetalles->recordCount(); }));
    report(QStringLiteral("post one insert into TCliente (and count its rows)"), timed([&] {
               m.TCliente->insert();
               m.TCliente->setText(QStringLiteral("Cuit"), cuitFor(rows + 1));
               m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("NUEVO CLIENTE"));
               m.TCliente->post();
               m.TCliente->recordCount();
           }));

    std::printf("%-58s %10ld kB\n", "peak RSS:", peakRssKb());
    if (!found || count != rows + 1 || characters == 0) {
        std::fprintf(stderr, "unexpected result: found=%d count=%d\n", int(found), count);
        return 1;
    }
    return 0;
}
