#include "CommandLine.h"
#include "Orders.h"
#include "TerminalPrompt.h"
#include "data/FolderStart.h"
#include "data/UModulo.h"
#include "data/store/AliasConfig.h"
#include "declaration/windows/UReporte.h"
#include "resources/Emblem.h"
#include "shell/windows/Principal.h"
#include "shell/windows/Startup.h"
#include "widgets/Application.h"
#include "widgets/DialogPrompt.h"
#include "widgets/StandardError.h"

#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace {

// Help, version and argument errors are answered on the terminal; the exit code is returned.
int answerOnTerminal(const CommandLine& options)
{
    if (!options.error.isEmpty()) {
        std::fputs((options.error + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        return orders::ToCorrect;
    }
    std::fputs((options.help ? commandLineHelp() : commandLineVersion()).toLocal8Bit().constData(), stdout);
    return orders::Done;
}

// An order runs on the terminal. Drawing the form (the PDF kept of each filing, the printout)
// needs the graphical part of the toolkit, and not a screen: without one it paints off screen.
int runOrder(int argc, char* argv[], const CommandLine& options)
{
    std::unique_ptr<QCoreApplication> app;
    if (drawsForms(options)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("tarvenio"));

    TerminalPrompt prompt;
    Prompt::install(&prompt);
    store::AliasConfig config;
    const orders::Printer print = [](TDModulo& modulo, const QString& codigo) {
        TQReporte report;
        report.useModule(modulo);
        return report.ImprimirDeclaracion(codigo) == 2;
    };
    const int status = orders::run(options, config, prompt, print);
    Prompt::install(nullptr);
    return status;
}

// The windows need a screen: without one the toolkit would abort in English. A platform given
// on the command line or in the environment is the user's own choice.
bool screenAvailable(const QStringList& arguments)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    return arguments.contains(QStringLiteral("-platform"));
}

// The program speaks to the user through its own messages; the toolkit's English notes (a
// runtime folder not set, a font not found) are not for the clerk and stay off the terminal.
void keepToolkitNotesQuiet(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

}  // namespace

int main(int argc, char* argv[])
{
    // Help, version and the orders need no display: they are answered before the windowing
    // system is reached. Anything else is parsed again below, once Qt has taken its own options.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    qInstallMessageHandler(keepToolkitNotesQuiet);
    const CommandLine early = parseCommandLine(rawArguments);
    if (early.error.isEmpty() && (early.help || early.version))
        return answerOnTerminal(early);
    if (!early.orderWord.isEmpty())
        return early.error.isEmpty() ? runOrder(argc, argv, early) : answerOnTerminal(early);

    if (!screenAvailable(rawArguments)) {
        if (!early.error.isEmpty())
            return answerOnTerminal(early);
        std::fputs(QStringLiteral("No hay una pantalla donde abrir las ventanas del programa (no está definida la "
                                  "variable DISPLAY). Sin ventanas, el trabajo se hace con las órdenes: vea tarvenio "
                                  "--help.\n")
                       .toLocal8Bit()
                       .constData(),
                   stderr);
        return orders::ToCorrect;
    }
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("tarvenio"));
    Application::setDesktopFileName(QStringLiteral("org.tarvenio.Tarvenio"));
    Application::setWindowIcon(emblem::formIcon(64));

    const CommandLine options = parseCommandLine(Application::arguments());
    if (!options.error.isEmpty() || options.help || options.version)
        return answerOnTerminal(options);

    DialogPrompt prompt;
    Prompt::install(&prompt);
    int exitCode = 1;
    try {
        store::AliasConfig config;
        struct Teardown {
            ~Teardown() { destroyForms(); }
        } teardown;
        createForms(&config, options.dataFolder);
        // Before any view opens: a missing folder asked about, the folder locked for the run.
        if (folderstart::prepare(*DModulo, prompt, !options.dataFolder.isEmpty())) {
            FPrincipal->show();
            FPrincipal->activateWindow();  // the views open on activation; not every desktop activates by itself
            exitCode = Application::exec();
        }
    } catch (const std::exception& error) {
        showStandardError(error);
    }
    Prompt::install(nullptr);
    return exitCode;
}
