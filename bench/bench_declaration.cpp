// Filing a large period through the filing core, as the program files it: by default 100,000
// printed-forms rows, 10,000 machine rows and 100,000 clients. Each round files the period on a
// fresh copy of the same tables (check, safety copy, the declaration written and synced to disk,
// its verification, the stamp on every open row, the report data), beside a floor measured on
// that copy in the same round: the same rows read with one plain SQLite query each and written
// with buffered writes, no formatting rules; and the same floor again with the page cache the
// declaration writer gives the files it reads.
// Then files that period once more end to end through the generate form, without printing.
// Usage: bench_declaration [rounds] [printed-forms rows] [machine rows] [clients]

#include "BenchTools.h"
#include "SampleCuit.h"
#include "ScriptedPrompt.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/Database.h"
#include "data/store/ReadCache.h"
#include "declaration/PeriodFiling.h"
#include "declaration/windows/DestinationGroup.h"
#include "declaration/windows/UPresentaciones.h"
#include "declaration/windows/UReporte.h"
#include "widgets/DirectoryListBox.h"

#include <sqlite3.h>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Clients of a register of companies: prefix 30.
QString cuitFor30(int n) { return fixture::cuitFor(n, "30"); }

int Clients = 100000;
int Details = 100000;
int Machines = 10000;

void fill(TDModulo& m)
{
    store::Database& db = m.Session1_1->database();
    store::Transaction transaction(db);
    store::Statement client(db, QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social, Inscripcion, Domicilio, Localidad, "
                                               "Codigo_Postal, Provincia) VALUES (?, ?, ?, ?, ?, ?, ?)")
                                    .arg(db.qualifiedTable(QStringLiteral("cliente"))));
    // Entered in another order than their C.U.I.T., as a real register is.
    for (int i = 1; i <= Clients; ++i) {
        const int n = scattered(i, Clients);
        client.reset();
        client.bind(1, cuitFor30(n));
        client.bind(2, QStringLiteral("CONTRIBUYENTE %1 O'NEILL Y CÍA. S.A.").arg(n));
        client.bind(3, QStringLiteral("901-%1").arg(n));
        client.bind(4, QStringLiteral("AVENIDA SAN MARTÍN %1").arg(n % 5000));
        client.bind(5, QStringLiteral("LOCALIDAD %1").arg(n % 300));
        client.bind(6, QString::number(3000 + n % 900));
        client.bind(7, QStringLiteral("SANTA FE"));
        client.step();
    }
    store::Statement detail(db, QStringLiteral("INSERT INTO %1 (Cliente, Fecha, Tipo_comprobante, NDesde, NHasta, "
                                               "ProcesoN, CanTalonarios, Anulado, Punto_Venta, Importado) "
                                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                    .arg(db.qualifiedTable(QStringLiteral("detalle"))));
    for (int i = 1; i <= Details; ++i) {
        detail.reset();
        detail.bind(1, qint64(1 + (i * 31) % Clients));
        detail.bind(2, QStringLiteral("%1/03/2024").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
        detail.bind(3, QStringLiteral("FACTURA %1").arg(QChar(u'A' + i % 3)));
        detail.bind(4, double(i * 50 + 1));
        detail.bind(5, double(i * 50 + 50));
        detail.bind(6, double(i));
        detail.bind(7, 50.0);
        detail.bind(8, i % 50 == 0 ? QStringLiteral("S") : QStringLiteral("N"));
        detail.bind(9, QStringLiteral("%1").arg(1 + i % 20, 4, 10, QLatin1Char('0')));
        detail.bind(10, i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("N")));
        detail.step();
    }
    store::Statement machine(db, QStringLiteral("INSERT INTO %1 (Cliente_id, Marca, Modelo, Fecha, Precio, Anulado, "
                                                "Codigo, Emision, Serie) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                     .arg(db.qualifiedTable(QStringLiteral("maquina"))));
    for (int i = 1; i <= Machines; ++i) {
        machine.reset();
        machine.bind(1, qint64(1 + (i * 97) % Clients));
        machine.bind(2, QStringLiteral("MARCA %1").arg(i % 12));
        machine.bind(3, QStringLiteral("MODELO %1").arg(i % 40));
        machine.bind(4, QStringLiteral("2024-03-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
        machine.bind(5, i % 2 ? 1500.0 : 123456.78);
        machine.bind(6, QStringLiteral("N"));
        machine.bind(7, QStringLiteral("AP%1").arg(i));
        machine.bind(8, QStringLiteral("0001"));
        machine.bind(9, QStringLiteral("SERIE-%1").arg(i));
        machine.step();
    }
    transaction.commit();

    m.TImprentas->insert();
    m.TImprentas->setText(QStringLiteral("Cuit"), QStringLiteral("20123456786"));
    m.TImprentas->setText(QStringLiteral("Nombre"), QStringLiteral("GRÁFICA DEL LITORAL"));
    m.TImprentas->post();
}

// The period 2024/03 as the clerk types it into the generate form; the filing stores it.
void typePeriod(TDModulo& m)
{
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
    m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
}

// A fresh copy of the filled tables, for one filing.
void copyFolder(const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile::copy(path, QDir(to).filePath(it.fileName()));
    }
}

// The floor: every value as SQLite gives its text, comma-separated, one line per row.
void plainCopy(sqlite3* db, const QString& path)
{
    static const char* const queries[] = {
        "SELECT c.Cuit, c.Razon_Social, d.Fecha, d.Tipo_comprobante, d.CanTalonarios, d.NDesde, d.NHasta, d.Anio, "
        "d.Anticipo, d.Punto_Venta, d.Anulado, d.Importado FROM detalle.detalle d LEFT JOIN cliente.cliente c "
        "ON c.Id_cliente = d.Cliente WHERE d.Anio IS NULL AND d.Anticipo IS NULL ORDER BY d.rowid",
        "SELECT c.Cuit, c.Razon_Social, m.Fecha, m.Marca, m.Modelo, m.Precio, m.Anio, m.Anticipo, m.Codigo, "
        "m.Emision, m.Serie, m.Anulado FROM maquina.maquina m LEFT JOIN cliente.cliente c "
        "ON c.Id_cliente = m.Cliente_id WHERE m.Anio IS NULL AND m.Anticipo IS NULL ORDER BY m.rowid",
        "SELECT Cuit, Razon_Social, Inscripcion, Domicilio, Localidad, Codigo_Postal, Provincia "
        "FROM cliente.cliente ORDER BY Cuit, rowid",
    };
    FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    for (const char* sql : queries) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i) {
                if (i)
                    std::fputc(',', out);
                if (const unsigned char* text = sqlite3_column_text(stmt, i))
                    std::fwrite(text, 1, size_t(sqlite3_column_bytes(stmt, i)), out);
            }
            std::fputs("\r\n", out);
        }
        sqlite3_finalize(stmt);
    }
    std::fclose(out);
}

double seconds(const std::function<void()>& work) { return timed(work) / 1000; }

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    Details = argc > 2 ? std::max(1, atoi(argv[2])) : Details;
    Machines = argc > 3 ? std::max(1, atoi(argv[3])) : Machines;
    Clients = argc > 4 ? std::max(1, atoi(argv[4])) : Clients;
    QTemporaryDir dir;
    store::AliasConfig config(dir.filePath(QStringLiteral("store.conf")));
    InstalledPrompt installedPrompt;
    const QString pristine = dir.filePath(QStringLiteral("pristine"));
    const QString work = dir.filePath(QStringLiteral("tablas"));
    {
        TDModulo m(&config, installedPrompt, pristine);
        m.AbrirTablas();
        std::printf("filling %d clients, %d printed-forms rows, %d machine rows...\n", Clients, Details, Machines);
        std::fflush(stdout);
        fill(m);
    }

    const QString out = dir.filePath(QStringLiteral("salida"));
    QDir().mkpath(out);
    QList<double> floor, cachedFloor, filings;
    QString path;
    for (int round = 0; round < rounds; ++round) {
        copyFolder(pristine, work);
        TDModulo m(&config, installedPrompt, work);
        m.AbrirTablas();
        sqlite3* db = m.Session1_1->database().handle();
        floor << seconds([&] { plainCopy(db, dir.filePath(QStringLiteral("floor.txt"))); });
        cachedFloor << seconds([&] {
            store::ReadCache cache(m.Session1_1->database(),
                                   {QStringLiteral("detalle"), QStringLiteral("maquina"), QStringLiteral("cliente")});
            plainCopy(db, dir.filePath(QStringLiteral("floor.txt")));
        });
        ScriptedPrompt prompt;
        typePeriod(m);
        filing::Outcome outcome;
        filings << seconds([&] { outcome = filing::fileOpenPeriod(m, prompt, out); });
        if (outcome.result != filing::Result::Filed) {
            std::printf("the filing stopped: %s\n", qPrintable(prompt.texts().join(QStringLiteral(" / "))));
            return 1;
        }
        path = outcome.path;
    }
    const double f = median(floor), cf = median(cachedFloor), w = median(filings);
    std::printf("file: %.1f MB (floor file %.1f MB), median of %d rounds\n", double(QFileInfo(path).size()) / 1e6,
                double(QFileInfo(dir.filePath(QStringLiteral("floor.txt"))).size()) / 1e6, rounds);
    std::printf("floor, plain queries and buffered writes:  %7.3f s\n", f);
    std::printf("the same with the writer's page cache:      %7.3f s  (the filing is %.2fx this one)\n", cf, w / cf);
    std::printf(
        "fileOpenPeriod (check, safety copy, file and its sync, verification, stamp):\n"
        "                                            %7.3f s  = %.2fx the floor\n",
        w, w / f);

    // The whole filing of the period as "Generar" runs it, answers given at once and no
    // printer, on a fresh copy of the tables.
    copyFolder(pristine, work);
    TDModulo m(&config, installedPrompt, work);
    DModulo = &m;
    m.AbrirTablas();
    ScriptedPrompt prompt;
    QReporte = new TQReporte(&app);
    QReporte->setPrinterFactory([](const QString&) { return std::unique_ptr<QPagedPaintDevice>(); });
    TFPresentaciones form;
    typePeriod(m);
    form.GroupBox4->DirectoryListBox1->setDirectory(out);
    const double filing = seconds([&] { form.BitBtn1Click(); });
    if (prompt.texts().value(1) != QStringLiteral("La Presentación Fue Generada con Exito")) {
        std::printf("the filing stopped: %s\n", qPrintable(prompt.texts().join(QStringLiteral(" / "))));
        return 1;
    }
    std::printf("filing the period end to end (no printing): %7.3f s  (target 3 s)%s\n", filing,
                filing < 3 ? "" : "  MISSED");
    return 0;
}
