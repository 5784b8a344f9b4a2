#include "CommandLine.h"
#include "Principal.h"
#include "Startup.h"
#include "resources/Emblem.h"
#include "store/AliasConfig.h"
#include "widgets/Application.h"
#include "widgets/DialogPrompt.h"
#include "widgets/StandardError.h"

#include <cstdio>

namespace {

// Help, version and argument errors are answered on the terminal; the exit code is returned.
int answerOnTerminal(const CommandLine& options)
{
    if (!options.error.isEmpty()) {
        std::fputs((options.error + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        return 2;
    }
    std::fputs((options.help ? commandLineHelp() : commandLineVersion()).toLocal8Bit().constData(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Help and version need no display: they are answered before the windowing system is
    // reached. Anything else is parsed again below, once Qt has taken its own options.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = parseCommandLine(rawArguments);
    if (early.error.isEmpty() && (early.help || early.version))
        return answerOnTerminal(early);

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
        FPrincipal->show();
        FPrincipal->activateWindow();  // the views open on activation; not every desktop activates by itself
        exitCode = Application::exec();
    } catch (const std::exception& error) {
        showStandardError(error);
    }
    Prompt::install(nullptr);
    return exitCode;
}
