// Start-up: from starting the program to its main window shown, active and painted, with the
// tables open, beside a bare Qt Widgets window started the same way in the same run (the floor,
// bench_bare_window). Each figure is the median of wall-clock times of whole processes, run in
// turn; on an empty store and on one with 100,000 clients and 100,000 open printed-forms rows.
// Usage: bench_startup [rounds] [rows]
//        bench_startup --make DIR [rows]   makes the two stores in DIR (store.conf, vacia, grande)
//        bench_startup --start CONFIG FOLDER   one start of the program, as timed (for profiling)
// Runs on the offscreen platform unless QT_QPA_PLATFORM or DISPLAY is set (xvfb-run for a
// screen).

#include "BenchTools.h"
#include "LargeStore.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/AliasConfig.h"
#include "data/store/Database.h"
#include "resources/Emblem.h"
#include "shell/windows/Principal.h"
#include "shell/windows/Startup.h"
#include "widgets/Application.h"
#include "widgets/DialogPrompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// A store in its own folder, its files made (and filled) before any start-up is timed.
void makeStore(const QString& config, const QString& folder, int rows)
{
    store::AliasConfig aliases(config);
    InstalledPrompt installedPrompt;
    TDModulo m(&aliases, installedPrompt, folder);
    m.Session1_1->database();
    if (rows > 0)
        fillClientsAndDetails(m.Session1_1->database(), rows, [rows](int i) { return scattered(i, rows) + 1; });
}

// The program's start-up as main() runs it; the process ends once the main window is painted
// and active and its views are open.
int startProgram(int argc, char** argv, const QString& config, const QString& folder)
{
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("tarvenio"));
    Application::setWindowIcon(emblem::formIcon(64));
    DialogPrompt prompt;
    Prompt::install(&prompt);
    store::AliasConfig aliases(config);
    createForms(&aliases, folder);

    struct Watch : QObject {
        bool painted = false;
        bool eventFilter(QObject* object, QEvent* event) override
        {
            if (event->type() == QEvent::Paint && object->isWidgetType() &&
                static_cast<QWidget*>(object)->window() == FPrincipal)
                painted = true;
            return false;
        }
    } watch;
    app.installEventFilter(&watch);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &watch, [&watch] {
        if (watch.painted && FPrincipal->isActiveWindow() && DModulo->TCliente->active() &&
            DModulo->TFormulario->active())
            std::_Exit(0);
    });
    poll.start(1);
    FPrincipal->show();
    FPrincipal->activateWindow();
    return app.exec();
}

double runProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s did not start cleanly\n", qPrintable(program));
        std::exit(1);
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

bool compare(const QString& what, const QString& self, const QString& floorProgram, const QString& config,
             const QString& folder, int rounds, double target)
{
    // A store is opened many times: the first start after the files were written checks them in
    // full once (see the README), and is not counted.
    runProcess(self, {QStringLiteral("--start"), config, folder});
    QList<double> floor, program;
    for (int round = 0; round < rounds; ++round) {
        floor << runProcess(floorProgram, {});
        program << runProcess(self, {QStringLiteral("--start"), config, folder});
    }
    const double f = median(floor), p = median(program);
    const bool met = p <= f * target;
    std::printf("%s, median of %d starts\n", qPrintable(what), rounds);
    std::printf("  floor, a bare Qt Widgets window shown and painted   %8.1f ms\n", f);
    std::printf("  the program, main window painted and tables open    %8.1f ms\n", p);
    std::printf("  program / floor                                     %8.2f    (target <= %.1f)%s\n", p / f, target,
                met ? "" : "  MISSED");
    std::fflush(stdout);
    return met;
}

}  // namespace

int main(int argc, char** argv)
{
    offscreenUnlessOnAScreen();
    if (argc == 4 && QByteArray(argv[1]) == "--start")
        return startProgram(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));

    QCoreApplication app(argc, argv);
    if (argc >= 3 && QByteArray(argv[1]) == "--make") {
        const QDir kept(QString::fromLocal8Bit(argv[2]));
        const QString config = kept.filePath(QStringLiteral("store.conf"));
        makeStore(config, kept.filePath(QStringLiteral("vacia")), 0);
        makeStore(config, kept.filePath(QStringLiteral("grande")), argc > 3 ? std::max(1, atoi(argv[3])) : 100000);
        return 0;
    }
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 11;
    const int rows = argc > 2 ? std::max(1, atoi(argv[2])) : 100000;
    const QString self = QCoreApplication::applicationFilePath();
    const QString floorProgram =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench_bare_window"));
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("store.conf"));
    const QString empty = dir.filePath(QStringLiteral("vacia")), large = dir.filePath(QStringLiteral("grande"));
    std::printf("making the stores (%d clients and %d open printed-forms rows)...\n", rows, rows);
    std::fflush(stdout);
    makeStore(config, empty, 0);
    makeStore(config, large, rows);

    bool ok = compare(QStringLiteral("empty store"), self, floorProgram, config, empty, rounds, 1.5);
    ok = compare(QStringLiteral("%1 clients and %1 printed-forms rows").arg(rows), self, floorProgram, config, large,
                 rounds, 2.0) &&
         ok;
    return ok ? 0 : 1;
}
