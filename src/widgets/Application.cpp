#include "Application.h"

#include "ScreenColormap.h"
#include "StandardError.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QPlatformSurfaceEvent>
#include <QWindow>

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
    // Every window, dialog, message box and drop-down list of the program passes here once
    // its native window exists and before it is shown.
    if (event->type() == QEvent::PlatformSurface && receiver->isWindowType() &&
        static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated)
        useScreenColormap(*static_cast<QWindow*>(receiver));
    bool handled = false;
    runHandler([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
