// The floor of the start-up figures: a bare Qt Widgets window of the main window's size, shown,
// active and painted, then the process ends at once. Run by bench_startup.

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <cstdlib>

namespace {

// Ends the process once the window has been painted and is the active window.
class Watch : public QObject {
public:
    explicit Watch(QWidget* window) : m_window(window) {}

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && object->isWidgetType() &&
            static_cast<QWidget*>(object)->window() == m_window)
            m_painted = true;
        return false;
    }
    void check() const
    {
        if (m_painted && m_window->isActiveWindow())
            std::_Exit(0);
    }

private:
    QWidget* m_window;
    bool m_painted = false;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QMainWindow window;
    window.setFixedSize(792, 548);
    Watch watch(&window);
    app.installEventFilter(&watch);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &watch, [&watch] { watch.check(); });
    poll.start(1);
    window.show();
    window.activateWindow();
    return app.exec();
}
