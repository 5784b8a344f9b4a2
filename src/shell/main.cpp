#include "CommandLine.h"
#include "Principal.h"
#include "Startup.h"
#include "resources/Emblem.h"
#include "store/AliasConfig.h"
#include "widgets/Application.h"
#include "widgets/DialogPrompt.h"
#include "widgets/StandardError.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("tarvenio"));
    Application::setWindowIcon(emblem::formIcon(64));

    const CommandLine options = parseCommandLine(Application::arguments());
    if (!options.error.isEmpty() || options.help) {
        const QString text = options.help ? commandLineHelp() : options.error + QLatin1Char('\n');
        std::fputs(text.toLocal8Bit().constData(), options.help ? stdout : stderr);
        return options.help ? 0 : 2;
    }

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
