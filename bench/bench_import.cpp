// The two imports on generated files: a client register of 1,000,000 lines and a detail file of
// 100,000 lines, every line valid. Each runs through the same code as its dialog, into tables
// of its own, beside a floor measured in the same run: the same rows inserted by one prepared
// SQLite statement in one transaction, with no file, parsing or checks.
// Usage: bench_import [clients] [details]

#include "BenchTools.h"
#include "ClientRegister.h"
#include "SampleCuit.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/Database.h"
#include "imports/ClientImport.h"
#include "imports/DetailImport.h"

#include <malloc.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace bench;

namespace {

// OK to every box, as a user pressing Enter would.
class EnterPrompt final : public Prompt {
public:
    PromptButton ask(const PromptMessage& message) override
    {
        return message.buttons == PromptButtons::YesNo ? PromptButton::Yes : PromptButton::Ok;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
};

const int RegisteredClients = 10000;  // the register the detail lines refer to

struct Detail {
    QString fecha, name, cuit, tipo;
    qint64 desde, hasta;
    QString puntoVenta;
    int client;  // Id_cliente: the clients are numbered as they were inserted
};

Detail detail(int i)
{
    const int n = int((qint64(i) * 104729) % RegisteredClients) + 1;
    return {QStringLiteral("%1/03/2024").arg(i % 28 + 1, 2, 10, QLatin1Char('0')),
            QStringLiteral("CONTRIBUYENTE NUMERO %1 SA").arg(n),
            cuitFor(n),
            QStringLiteral("FACTURA %1").arg(QChar(u'A' + i % 3)),
            qint64(i) * 50 + 1,
            qint64(i) * 50 + 50,
            QStringLiteral("%1").arg(i % 20 + 1, 4, 10, QLatin1Char('0')),
            n};
}

// Date 1-10, name 11-50, C.U.I.T. 51-63, form type 64-93, first 94-103, last 104-113, point of
// sale 114-117.
const imports::DetailColumns DetailLayout{{1, 10}, {11, 50}, {51, 63}, {64, 93}, {94, 103}, {104, 113}, {114, 117}};

QByteArray detailLine(const Detail& d)
{
    return (d.fecha + d.name.leftJustified(40) + d.cuit.leftJustified(13) + d.tipo.leftJustified(30) +
            QString::number(d.desde).rightJustified(10) + QString::number(d.hasta).rightJustified(10) + d.puntoVenta)
               .toLatin1() +
           "\r\n";
}

// A data module over tables of its own.
struct Tables {
    explicit Tables(const QTemporaryDir& dir, const QString& name)
        : config(dir.filePath(name + QStringLiteral(".conf"))), modulo(&config, prompt, dir.filePath(name))
    {
        DModulo = &modulo;
        modulo.AbrirTablas();
    }
    ~Tables() { DModulo = nullptr; }
    store::Database& db() { return modulo.Session1_1->database(); }
    InstalledPrompt prompt;
    store::AliasConfig config;
    TDModulo modulo;
};

void bindText(sqlite3_stmt* stmt, int position, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, position, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// The register of the detail lines, numbered 1 to RegisteredClients in C.U.I.T. order.
void registerClients(Tables& t)
{
    insertRows(t.db(), QStringLiteral("cliente"),
               QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social) VALUES (?, ?)")
                   .arg(t.db().qualifiedTable(QStringLiteral("cliente"))),
               RegisteredClients, [](sqlite3_stmt* stmt, int i) {
                   bindText(stmt, 1, cuitFor(i + 1));
                   bindText(stmt, 2, QStringLiteral("CONTRIBUYENTE NUMERO %1 SA").arg(i + 1));
               });
}

struct DetailValues {
    Packed texts;  // date, form type, point of sale
    std::vector<Detail> rows;
};

DetailValues detailValues(int count)
{
    DetailValues values;
    for (int i = 0; i < count; ++i) {
        values.rows.push_back(detail(i));
        values.texts.add(values.rows.back().fecha);
        values.texts.add(values.rows.back().tipo);
        values.texts.add(values.rows.back().puntoVenta);
    }
    return values;
}

void insertDetails(Tables& t, const DetailValues& values, int count)
{
    insertRows(t.db(), QStringLiteral("detalle"),
               QStringLiteral("INSERT INTO %1 (Cliente, Fecha, Tipo_comprobante, NDesde, NHasta, CanTalonarios, "
                              "Punto_Venta, Importado, Anulado) VALUES (?, ?, ?, ?, ?, ?, ?, 'S', 'N')")
                   .arg(t.db().qualifiedTable(QStringLiteral("detalle"))),
               count, [&values](sqlite3_stmt* stmt, int i) {
                   const Detail& d = values.rows[size_t(i)];
                   sqlite3_bind_int64(stmt, 1, d.client);
                   values.texts.bind(stmt, 2, size_t(i) * 3);
                   values.texts.bind(stmt, 3, size_t(i) * 3 + 1);
                   sqlite3_bind_double(stmt, 4, double(d.desde));
                   sqlite3_bind_double(stmt, 5, double(d.hasta));
                   sqlite3_bind_double(stmt, 6, double(d.hasta - d.desde + 1));
                   values.texts.bind(stmt, 7, size_t(i) * 3 + 2);
               });
}

int rowCount(Tables& t, const char* table)
{
    store::Statement stmt(
        t.db(), QStringLiteral("SELECT count(*) FROM %1").arg(t.db().qualifiedTable(QString::fromLatin1(table))));
    stmt.step();
    return stmt.column(0).toInt();
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Wall-clock seconds; the processor time of the work goes to *cpu. The machine is shared, so
// the two tell waiting apart from working.
double seconds(const std::function<void()>& work, double* cpu)
{
    QElapsedTimer timer;
    const double cpuStart = cpuSeconds();
    timer.start();
    work();
    *cpu = cpuSeconds() - cpuStart;
    return double(timer.nsecsElapsed()) / 1e9;
}

bool compare(const char* what, int lines, double floor, double floorCpu, double import, double importCpu, long peak,
             double limitSeconds)
{
    const double ratio = import / floor;
    const bool fast = ratio <= 3.0 && (limitSeconds <= 0 || import < limitSeconds);
    const bool small = peak < 150 * 1024;
    std::printf("%s, %d lines\n", what, lines);
    std::printf("  floor (one prepared INSERT, one transaction) %8.3f s %12.0f rows/s   (processor %.3f s)\n", floor,
                lines / floor, floorCpu);
    std::printf("  import (file, checks, progress)              %8.3f s %12.0f lines/s  (processor %.3f s)\n", import,
                lines / import, importCpu);
    std::printf("  import / floor                               %8.2f    (target <= 3.00)%s\n", ratio,
                ratio <= 3.0 ? "" : "  MISSED");
    if (limitSeconds > 0)
        std::printf("  import time                                  %8.3f s  (target < %.0f s)%s\n", import,
                    limitSeconds, import < limitSeconds ? "" : "  MISSED");
    std::printf("  peak memory during the import                %8ld kB (target < 153600 kB)%s\n", peak,
                small ? "" : "  MISSED");
    std::fflush(stdout);
    return fast && small;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int clients = argc > 1 ? std::max(10, QByteArray(argv[1]).toInt()) : 1000000;
    const int details = argc > 2 ? std::max(10, QByteArray(argv[2]).toInt()) : 100000;
    EnterPrompt prompt;
    Prompt::install(&prompt);
    QTemporaryDir dir;

    const QString clientFile = dir.filePath(QStringLiteral("padron.prn"));
    const QString detailFile = dir.filePath(QStringLiteral("detalle.prn"));
    std::printf("writing the files...\n");
    std::fflush(stdout);
    writeFile(clientFile, clients, [clients](int i) { return clientLine(client(i, clients)); });
    writeFile(detailFile, details, [](int i) { return detailLine(detail(i)); });

    bool ok = true;
    {
        double floor = 0, floorCpu = 0, importCpu = 0;
        {
            const Packed values = clientValues(clients);
            Tables t(dir, QStringLiteral("floor_clients"));
            floor = seconds([&] { insertClients(t.db(), values, clients); }, &floorCpu);
        }
        Tables t(dir, QStringLiteral("import_clients"));
        int added = 0;
        int shown = 0;
        imports::ImportHooks hooks;
        hooks.progress = [&shown](int) { ++shown; };
        resetPeak();
        const double import = seconds(
            [&] { added = imports::importClients(t.modulo, t.modulo.prompt(), clientFile, ClientLayout, hooks); },
            &importCpu);
        const long peak = peakRssKb();
        ok = compare("client register", clients, floor, floorCpu, import, importCpu, peak,
                     clients >= 1000000 ? 10.0 : 0) &&
             ok;
        std::printf("  clients added %d, stored %d, progress shown %d times\n\n", added, rowCount(t, "cliente"), shown);
        ok = ok && added == clients;
    }
    {
        double floor = 0, floorCpu = 0, importCpu = 0;
        {
            const DetailValues values = detailValues(details);
            Tables t(dir, QStringLiteral("floor_details"));
            registerClients(t);
            floor = seconds([&] { insertDetails(t, values, details); }, &floorCpu);
        }
        Tables t(dir, QStringLiteral("import_details"));
        registerClients(t);
        imports::DetailOutcome outcome;
        int shown = 0;
        imports::ImportHooks hooks;
        hooks.progress = [&shown](int) { ++shown; };
        resetPeak();
        const double import = seconds(
            [&] { outcome = imports::importDetails(t.modulo, t.modulo.prompt(), detailFile, DetailLayout, hooks); },
            &importCpu);
        const long peak = peakRssKb();
        ok = compare("detail file", details, floor, floorCpu, import, importCpu, peak, 0) && ok;
        std::printf("  result code %d, rows %d, stored %d, progress shown %d times\n", outcome.code, outcome.count,
                    rowCount(t, "detalle"), shown);
        ok = ok && outcome.code == 0 && outcome.count == details;
    }
    Prompt::install(nullptr);
    return ok ? 0 : 1;
}
