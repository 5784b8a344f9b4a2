#pragma once

#include <QApplication>
#include <QTranslator>

// The program's application object. An exception that leaves an event handler ends here and
// is shown in the standard error box; the program goes on with its message loop. Every window
// it makes on an X11 display takes the screen's colormap (see ScreenColormap.h).
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    QTranslator m_toolkitTexts;
};
