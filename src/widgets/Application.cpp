#include "Application.h"

#include "StandardError.h"

#include <QLibraryInfo>
#include <QLocale>

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    // The toolkit's own texts (file dialog, edit menus) in Spanish when the system has them;
    // without them those few texts stay in English and nothing else changes.
    if (m_toolkitTexts.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_toolkitTexts);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    runHandler([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
