#include "ScriptedPrompt.h"
#include "data/store/StoreError.h"
#include "widgets/Application.h"
#include "widgets/StandardError.h"

#include <QPushButton>
#include <QTest>
#include <functional>
#include <stdexcept>

Q_DECLARE_METATYPE(std::function<void()>)

namespace {

// Throws the test's fault from its event handler, as a form's handler might.
class FaultyReceiver : public QObject {
public:
    std::function<void()> fault;
    int handled = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        fault();
        return true;
    }
};

// A button whose click runs a handler through the guard, as the menus and forms connect them.
class GuardedButton : public QPushButton {
public:
    std::function<void()> fault;
    int handled = 0;

    GuardedButton() { connect(this, &QPushButton::clicked, this, guarded(this, &GuardedButton::onClick)); }

private:
    void onClick()
    {
        ++handled;
        fault();
    }
};

}  // namespace

// An exception that leaves a handler reaches the standard error box and the program goes on.
class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void exceptionFromHandler_data()
    {
        QTest::addColumn<bool>("viaGuard");  // else it leaves the handler and reaches notify()
        QTest::addColumn<std::function<void()>>("fault");
        QTest::addColumn<QStringList>("shown");

        const std::function<void()> storeError = [] {
            throw store::StoreError(store::TableDamaged, QStringLiteral("La tabla cliente.DB está dañada."));
        };
        const std::function<void()> fileError = [] { throw std::runtime_error("No se puede escribir en A:\\"); };
        const std::function<void()> abort = [] { throw store::Abort(); };
        const std::function<void()> foreign = [] { throw 42; };
        for (bool viaGuard : {false, true}) {
            const char* route = viaGuard ? "guarded click" : "event handler";
            QTest::addRow("%s, store error", route)
                << viaGuard << storeError << QStringList{"La tabla cliente.DB está dañada."};
            QTest::addRow("%s, file error", route)
                << viaGuard << fileError << QStringList{"No se puede escribir en A:\\"};
            QTest::addRow("%s, silent abort", route) << viaGuard << abort << QStringList{};
            QTest::addRow("%s, not a std::exception", route)
                << viaGuard << foreign << QStringList{"Se produjo un error inesperado."};
        }
    }

    void exceptionFromHandler()
    {
        QFETCH(bool, viaGuard);
        QFETCH(std::function<void()>, fault);
        QFETCH(QStringList, shown);
        ScriptedPrompt prompt;

        // Twice: after the first fault the program still handles the next event.
        int handled = 0;
        if (viaGuard) {
            GuardedButton button;
            button.fault = fault;
            button.show();
            QVERIFY(QTest::qWaitForWindowExposed(&button));
            QTest::mouseClick(&button, Qt::LeftButton);
            QTest::mouseClick(&button, Qt::LeftButton);
            handled = button.handled;
        } else {
            FaultyReceiver receiver;
            receiver.fault = fault;
            QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
            QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
            QCoreApplication::sendPostedEvents(&receiver);
            handled = receiver.handled;
        }

        QCOMPARE(handled, 2);
        QCOMPARE(prompt.texts(), shown + shown);
        for (const PromptMessage& m : prompt.shown()) {
            QCOMPARE(m.caption, Prompt::applicationTitle());
            QCOMPARE(m.buttons, PromptButtons::Ok);
            QCOMPARE(m.icon, PromptIcon::Error);
        }
    }
};

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
