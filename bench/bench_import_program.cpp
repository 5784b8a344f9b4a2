// The client import in the whole program: the main window up with its views open, the client
// list and the client dialog built before and hidden (as after a look at the clients), and the
// import window run as a user runs it: file chosen, positions typed, "&Cargar" pressed. The
// peak memory of the whole process (VmHWM) and the time, beside the floor of bench_import
// measured in the same run after the peak was read: the same rows inserted by one prepared
// SQLite statement in one transaction, with the page cache the import gives the table.
// Usage: bench_import_program [clients]
// Runs on the offscreen platform unless QT_QPA_PLATFORM or DISPLAY is set.

#include "BenchTools.h"
#include "ClientRegister.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/AliasConfig.h"
#include "data/store/Database.h"
#include "imports/windows/CargarContri.h"
#include "shell/windows/Principal.h"
#include "shell/windows/Startup.h"
#include "shell/windows/UClientes.h"
#include "shell/windows/UClientesMod.h"
#include "widgets/Application.h"

#include <malloc.h>
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <ctime>

using namespace bench;

namespace {

void expect(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "%s\n", what);
}

// OK to every box, and the register file to the file dialog.
class FilePrompt final : public Prompt {
public:
    explicit FilePrompt(QString file) : m_file(std::move(file)) {}
    PromptButton ask(const PromptMessage& message) override
    {
        if (message.icon == PromptIcon::Error)
            std::fprintf(stderr, "error: %s\n", qPrintable(message.text));
        return message.buttons == PromptButtons::YesNo ? PromptButton::Yes : PromptButton::Ok;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return m_file; }

private:
    QString m_file;
};

double heapInUseMb()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024 * 1024);
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void showOnce(QWidget* window)
{
    window->show();
    expect(QTest::qWaitForWindowExposed(window), "window did not show");
    window->hide();
}

int storedClients(TDModulo& m)
{
    store::Statement count(m.Session1_1->database(),
                           QStringLiteral("SELECT count(*) FROM %1")
                               .arg(m.Session1_1->database().qualifiedTable(QStringLiteral("cliente"))));
    count.step();
    return count.column(0).toInt();
}

}  // namespace

int main(int argc, char** argv)
{
    offscreenUnlessOnAScreen();
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("tarvenio"));
    const int clients = argc > 1 ? std::max(10, QByteArray(argv[1]).toInt()) : 1000000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("padron.prn"));
    std::printf("writing the register of %d clients...\n", clients);
    std::fflush(stdout);
    writeFile(file, clients, [clients](int i) { return clientLine(client(i, clients)); });

    FilePrompt prompt(file);
    Prompt::install(&prompt);
    store::AliasConfig config(dir.filePath(QStringLiteral("store.conf")));
    createForms(&config, dir.filePath(QStringLiteral("tablas")));
    FPrincipal->show();
    FPrincipal->activateWindow();
    expect(QTest::qWaitForWindowActive(FPrincipal), "FPrincipal did not show");
    showOnce(FClienteMod);
    showOnce(FClientes);
    DModulo->TCliente->cancel();
    FCargarcont->show();
    expect(QTest::qWaitForWindowExposed(FCargarcont), "FCargarcont did not show");
    const imports::Columns* ranges[] = {&ClientLayout.cuit,      &ClientLayout.razonSocial, &ClientLayout.inscripcion,
                                        &ClientLayout.domicilio, &ClientLayout.localidad,   &ClientLayout.codigoPostal,
                                        &ClientLayout.provincia};
    for (int row = 0; row < 7; ++row) {
        FCargarcont->findChild<QSpinBox*>(QStringLiteral("SE%1").arg(2 * row + 1))->setValue(ranges[row]->from);
        FCargarcont->findChild<QSpinBox*>(QStringLiteral("SE%1").arg(2 * row + 2))->setValue(ranges[row]->to);
    }
    FCargarcont->findChild<QAbstractButton*>(QStringLiteral("BitBtn1"))->click();
    QCoreApplication::processEvents();
    const long before = peakRssKb();

    // The memory the process holds from the heap when the views hear of the new rows: the page
    // cache of the import must be given back by then.
    double heapWhenTold = -1, heapBefore = heapInUseMb();
    QObject::connect(&DModulo->Session1_1->database(), &store::Database::tableChanged, FCargarcont, [&heapWhenTold] {
        if (heapWhenTold < 0)
            heapWhenTold = heapInUseMb();
    });
    double cpu = cpuSeconds();
    const double import = timed([] { FCargarcont->findChild<QAbstractButton*>(QStringLiteral("BitBtn2"))->click(); });
    cpu = cpuSeconds() - cpu;
    QCoreApplication::processEvents();
    const long peak = peakRssKb();
    const int stored = storedClients(*DModulo);
    FCargarcont->hide();
    destroyForms();
    Prompt::install(nullptr);

    double floor = 0, floorCpu = 0;
    {
        const Packed values = clientValues(clients);
        store::AliasConfig floorConfig(dir.filePath(QStringLiteral("floor.conf")));
        InstalledPrompt installedPrompt;
        TDModulo floorTables(&floorConfig, installedPrompt, dir.filePath(QStringLiteral("floor")));
        floorCpu = cpuSeconds();
        floor = timed([&] { insertClients(floorTables.Session1_1->database(), values, clients); });
        floorCpu = cpuSeconds() - floorCpu;
    }

    const bool small = peak < 100 * 1024;
    const bool fast = import <= floor * 1.3;
    std::printf("client import in the whole program, %d lines (%d stored)\n", clients, stored);
    std::printf("  peak memory of the process before the import      %8ld kB\n", before);
    std::printf("  peak memory of the process after the import       %8ld kB (target < 102400 kB)%s\n", peak,
                small ? "" : "  MISSED");
    std::printf("  heap in use before the import / when the views hear of it %6.1f / %.1f MB\n", heapBefore,
                heapWhenTold);
    std::printf("  floor (one prepared INSERT, one transaction)      %8.3f s  (processor %.3f s)\n", floor / 1000,
                floorCpu);
    std::printf("  import through the window                         %8.3f s  (processor %.3f s)\n", import / 1000,
                cpu);
    std::printf("  import / floor                                    %8.2f    (target <= 1.30)%s\n", import / floor,
                fast ? "" : "  MISSED");
    return small && fast && stored == clients ? 0 : 1;
}
