// The client import window: its layout, the keyboard, the file dialog and a load through it.

#include "ClientLines.h"
#include "ImportFixture.h"
#include "Keyboard.h"
#include "imports/windows/CargarContri.h"
#include "widgets/DialogPrompt.h"
#include "widgets/ModalDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <climits>

using fixture::cuitFor;
using fixture::fileOf;
using fixture::loaded;
using imports::ClientColumns;

class TestClientImportWindow : public ClientImportTest {
    Q_OBJECT

private slots:
    void cleanup()
    {
        setModalHandler({});
        m_f.reset();
    }

    void dialogLayout();
    void cargarBeforeChoosingAFile();
    void chooseAndLoad();
    void keyboardWalk();
    void fileDialogGivesTheSuffix();
};

void TestClientImportWindow::dialogLayout()
{
    TFCargarcont dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Importación de Padrón de Clientes"));
    QCOMPARE(dialog.findChild<QGroupBox*>("GroupBox1")->title(), QStringLiteral("Posiciones para cada campo"));
    for (int i = 1; i <= 14; ++i) {
        auto* se = dialog.findChild<QSpinBox*>(QStringLiteral("SE%1").arg(i));
        QVERIFY2(se, qPrintable(QStringLiteral("SE%1").arg(i)));
        QCOMPARE(se->value(), 1);
        QCOMPARE(se->minimum(), INT_MIN);
        QCOMPARE(se->maximum(), INT_MAX);
    }
    QVERIFY(dialog.findChild<QLineEdit*>("Edit1")->isReadOnly());
    QCOMPARE(dialog.findChild<QAbstractButton*>("BitBtn1")->text(), QStringLiteral("S&eleccionar"));
    QCOMPARE(dialog.findChild<QAbstractButton*>("BitBtn2")->text(), QStringLiteral("&Cargar"));
    QCOMPARE(dialog.findChild<QAbstractButton*>("BitBtn3")->text(), QStringLiteral("&Salir"));

    // The positions typed stay when the dialog is opened again; the progress is cleared.
    auto* label9 = dialog.findChild<QLabel*>("Label9");
    dialog.findChild<QSpinBox*>("SE5")->setValue(-7);
    label9->setText(QStringLiteral("Cargando Registro Nº: 3"));
    dialog.show();
    dialog.hide();
    dialog.show();
    QCOMPARE(dialog.findChild<QSpinBox*>("SE5")->value(), -7);
    QCOMPARE(label9->text(), QString());
}

void TestClientImportWindow::cargarBeforeChoosingAFile()
{
    f();
    TFCargarcont dialog;
    dialog.show();
    auto* cargar = dialog.findChild<QAbstractButton*>("BitBtn2");
    cargar->click();
    QVERIFY(cargar->isEnabled());
    QVERIFY(f().prompt.shown().isEmpty());
}

void TestClientImportWindow::chooseAndLoad()
{
    TFCargarcont dialog;
    dialog.show();
    const ClientColumns c = ClientLayout;
    const int positions[] = {c.cuit.from,        c.cuit.to,        c.razonSocial.from,  c.razonSocial.to,
                             c.inscripcion.from, c.inscripcion.to, c.domicilio.from,    c.domicilio.to,
                             c.localidad.from,   c.localidad.to,   c.codigoPostal.from, c.codigoPostal.to,
                             c.provincia.from,   c.provincia.to};
    for (int i = 0; i < 14; ++i)
        dialog.findChild<QSpinBox*>(QStringLiteral("SE%1").arg(i + 1))->setValue(positions[i]);

    const QString path = f().write(QStringLiteral("padron.prn"),
                                   fileOf({clientLine(cuitFor(21), "Uno"), clientLine(cuitFor(22), "Dos")}));
    f().prompt.answerFile(path);
    dialog.findChild<QAbstractButton*>("BitBtn1")->click();
    QCOMPARE(f().prompt.last().caption, QStringLiteral("Seleccionar Archivo"));
    QCOMPARE(dialog.findChild<QLineEdit*>("Edit1")->text(), QDir::toNativeSeparators(path));

    // Cancelling the file dialog keeps the file chosen before; the dialog opened where it was.
    dialog.findChild<QAbstractButton*>("BitBtn1")->click();
    QCOMPARE(dialog.findChild<QLineEdit*>("Edit1")->text(), QDir::toNativeSeparators(path));
    QCOMPARE(f().prompt.fileFolders().last(), QFileInfo(path).absolutePath());

    f().prompt.clear();
    auto* cargar = dialog.findChild<QAbstractButton*>("BitBtn2");
    cargar->click();
    QCOMPARE(f().prompt.texts(), (QStringList{OnlyComplete, loaded(2)}));
    QCOMPARE(f().count(QStringLiteral("cliente")), 2);
    QCOMPARE(dialog.findChild<QLabel*>("Label9")->text(), QStringLiteral("Cargando Registro Nº: 2"));
    QVERIFY(cargar->isEnabled());

    // With every spinner at 1 each value is the first character: nothing passes.
    for (int i = 1; i <= 14; ++i)
        dialog.findChild<QSpinBox*>(QStringLiteral("SE%1").arg(i))->setValue(1);
    const QString more = f().write(QStringLiteral("mas.prn"), fileOf({clientLine(cuitFor(23), "Tres")}));
    f().prompt.answerFile(more);
    dialog.findChild<QAbstractButton*>("BitBtn1")->click();
    f().prompt.clear();
    cargar->click();
    QCOMPARE(f().prompt.texts(), (QStringList{OnlyComplete, loaded(0)}));
    QCOMPARE(f().count(QStringLiteral("cliente")), 2);
    // A run that added nothing leaves no count of the run before.
    QCOMPARE(dialog.findChild<QLabel*>("Label9")->text(), QString());
}

void TestClientImportWindow::keyboardWalk()
{
    TFCargarcont dialog;
    QVERIFY(keyboard::showActive(dialog));
    auto* first = dialog.findChild<QSpinBox*>("SE1");
    first->setFocus();
    for (int i = 1; i <= 14; ++i) {
        auto* se = dialog.findChild<QSpinBox*>(QStringLiteral("SE%1").arg(i));
        QVERIFY2(se->hasFocus(), qPrintable(QStringLiteral("SE%1").arg(i)));
        keyboard::press(Qt::Key_A, Qt::ControlModifier);
        keyboard::type(QString::number(i * 10));
        keyboard::press(Qt::Key_Return);
        QCOMPARE(se->value(), i * 10);
    }
    for (const char* next : {"Edit1", "BitBtn1", "BitBtn2", "BitBtn3"}) {
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
        keyboard::press(Qt::Key_Tab);
    }
    QCOMPARE(dialog.columns().provincia.to, 140);
}

// The program's file dialog: a name typed without its suffix finds the .prn file, and the
// filters show their descriptions alone.
void TestClientImportWindow::fileDialogGivesTheSuffix()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("padron.prn")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    bool detailsHidden = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        detailsHidden = dialog->testOption(QFileDialog::HideNameFilterDetails);
        dialog->selectFile(QStringLiteral("padron"));
        // A name that is not there would stop the dialog with a box of its own: end it instead.
        if (QFile::exists(dialog->selectedFiles().value(0)))
            static_cast<QDialog*>(dialog)->accept();  // public in QDialog
        else
            dialog->reject();
    });
    const QString chosen =
        DialogPrompt().openFileNameWithSuffix(QStringLiteral("Seleccionar Archivo"), dir.path(),
                                              QStringLiteral("Textos (*.prn) (*.prn)"), QStringLiteral("prn"));
    QCOMPARE(chosen, dir.filePath(QStringLiteral("padron.prn")));
    QVERIFY(detailsHidden);
}

QTEST_MAIN(TestClientImportWindow)
#include "tst_clientimportwindow.moc"
