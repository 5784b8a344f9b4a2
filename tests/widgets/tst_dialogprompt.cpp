#include "widgets/DialogPrompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(PromptButton)
Q_DECLARE_METATYPE(PromptButtons)
Q_DECLARE_METATYPE(PromptIcon)

// Drives the real message boxes: what they show and what each way of closing them answers.
class TestDialogPrompt : public QObject {
    Q_OBJECT

private:
    template <typename Dialog, typename Step>
    static void whenShown(Step step)
    {
        QTimer::singleShot(0, [step] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            step(dialog);
        });
    }

private slots:
    void messageBox_data()
    {
        QTest::addColumn<PromptButtons>("buttons");
        QTest::addColumn<PromptButton>("defaultButton");
        QTest::addColumn<PromptIcon>("icon");
        QTest::addColumn<QString>("action");  // enter, escape, close or the text of a button
        QTest::addColumn<QStringList>("shownButtons");
        QTest::addColumn<QString>("defaultText");
        QTest::addColumn<int>("boxIcon");
        QTest::addColumn<PromptButton>("answer");

        const QStringList ok{"Aceptar"}, yesNo{"&Sí", "&No"}, okCancel{"Aceptar", "Cancelar"}, yes{"&Sí"};
        QTest::newRow("notice, Enter") << PromptButtons::Ok << PromptButton::Ok << PromptIcon::None << "enter" << ok
                                       << "Aceptar" << int(QMessageBox::NoIcon) << PromptButton::Ok;
        QTest::newRow("notice, Escape") << PromptButtons::Ok << PromptButton::Ok << PromptIcon::None << "escape" << ok
                                        << "Aceptar" << int(QMessageBox::NoIcon) << PromptButton::None;
        QTest::newRow("error box") << PromptButtons::Ok << PromptButton::Ok << PromptIcon::Error << "enter" << ok
                                   << "Aceptar" << int(QMessageBox::Critical) << PromptButton::Ok;
        QTest::newRow("question, Yes default")
            << PromptButtons::YesNo << PromptButton::Yes << PromptIcon::None << "enter" << yesNo << "&Sí"
            << int(QMessageBox::NoIcon) << PromptButton::Yes;
        QTest::newRow("question, No default")
            << PromptButtons::YesNo << PromptButton::No << PromptIcon::Question << "enter" << yesNo << "&No"
            << int(QMessageBox::Question) << PromptButton::No;
        QTest::newRow("question, no default named")
            << PromptButtons::YesNo << PromptButton::None << PromptIcon::None << "enter" << yesNo << "&Sí"
            << int(QMessageBox::NoIcon) << PromptButton::Yes;
        QTest::newRow("question, No pressed") << PromptButtons::YesNo << PromptButton::Yes << PromptIcon::None << "&No"
                                              << yesNo << "&Sí" << int(QMessageBox::NoIcon) << PromptButton::No;
        QTest::newRow("question, Escape") << PromptButtons::YesNo << PromptButton::Yes << PromptIcon::None << "escape"
                                          << yesNo << "&Sí" << int(QMessageBox::NoIcon) << PromptButton::None;
        QTest::newRow("ok/cancel, Cancel pressed")
            << PromptButtons::OkCancel << PromptButton::Ok << PromptIcon::Warning << "Cancelar" << okCancel << "Aceptar"
            << int(QMessageBox::Warning) << PromptButton::Cancel;
        QTest::newRow("single Yes, pressed")
            << PromptButtons::Yes << PromptButton::None << PromptIcon::Information << "&Sí" << yes << "&Sí"
            << int(QMessageBox::Information) << PromptButton::Yes;
        QTest::newRow("single Yes, Escape")
            << PromptButtons::Yes << PromptButton::None << PromptIcon::Information << "escape" << yes << "&Sí"
            << int(QMessageBox::Information) << PromptButton::None;
        QTest::newRow("single Yes, close box")
            << PromptButtons::Yes << PromptButton::None << PromptIcon::Information << "close" << yes << "&Sí"
            << int(QMessageBox::Information) << PromptButton::None;
    }

    void messageBox()
    {
        QFETCH(PromptButtons, buttons);
        QFETCH(PromptButton, defaultButton);
        QFETCH(PromptIcon, icon);
        QFETCH(QString, action);
        QFETCH(QStringList, shownButtons);
        QFETCH(QString, defaultText);
        QFETCH(int, boxIcon);
        QFETCH(PromptButton, answer);

        QString caption, text, defaultShown;
        QStringList visible;
        int iconShown = -1;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            caption = box->windowTitle();
            text = box->text();
            iconShown = box->icon();
            defaultShown = box->defaultButton() ? box->defaultButton()->text() : QString();
            for (QAbstractButton* b : box->buttons())
                if (b->isVisible())
                    visible << b->text();
            if (action == QLatin1String("enter"))
                QTest::keyClick(box, Qt::Key_Return);
            else if (action == QLatin1String("escape"))
                QTest::keyClick(box, Qt::Key_Escape);
            else if (action == QLatin1String("close"))
                box->close();
            else
                for (QAbstractButton* b : box->buttons())
                    if (b->text() == action)
                        b->click();
        });

        DialogPrompt prompt;
        const PromptButton pressed = prompt.ask(
            {QStringLiteral("¿Desea Salir del Programa?"), QStringLiteral("Imprentas"), buttons, icon, defaultButton});

        QCOMPARE(pressed, answer);
        QCOMPARE(caption, QStringLiteral("Imprentas"));
        QCOMPARE(text, QStringLiteral("¿Desea Salir del Programa?"));
        QCOMPARE(iconShown, boxIcon);
        QCOMPARE(visible, shownButtons);
        QCOMPARE(defaultShown, defaultText);
    }

    void fileDialog_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::newRow("file chosen") << true;
        QTest::newRow("cancelled") << false;
    }

    void fileDialog()
    {
        QFETCH(bool, choose);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("padron.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        QString caption;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            caption = dialog->windowTitle();
            if (choose) {
                dialog->selectFile(path);
                static_cast<QDialog*>(dialog)->accept();  // public in QDialog
            } else {
                dialog->reject();
            }
        });
        const QString chosen =
            DialogPrompt().openFileName(QStringLiteral("Abrir"), dir.path(), QStringLiteral("Textos (*.txt)"));
        QCOMPARE(caption, QStringLiteral("Abrir"));
        QCOMPARE(chosen, choose ? path : QString());
    }
};

QTEST_MAIN(TestDialogPrompt)
#include "tst_dialogprompt.moc"
