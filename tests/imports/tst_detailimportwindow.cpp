// The detail import window and its help: layout, keyboard, a load through the dialog.

#include "DetailLines.h"
#include "ImportFixture.h"
#include "Keyboard.h"
#include "imports/windows/AyudaCarga.h"
#include "imports/windows/Carga.h"
#include "widgets/ModalDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <climits>

using fixture::cuitFor;
using fixture::fileOf;
using fixture::loaded;
using imports::DetailColumns;

Q_DECLARE_METATYPE(PromptButton)

class TestDetailImportWindow : public DetailImportTest {
    Q_OBJECT

private slots:
    void cleanup()
    {
        setModalHandler({});
        delete AyCarga;
        AyCarga = nullptr;
        m_f.reset();
    }

    void dialogLayout_data();
    void dialogLayout();
    void keyboardWalk();
    void cargarBeforeChoosingAFile();
    void loadThroughTheDialog_data();
    void loadThroughTheDialog();
    void helpLines();
};

void TestDetailImportWindow::dialogLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    const struct {
        const char* name;
        int minimum, maximum;
    } spinners[] = {{"SE11", INT_MIN, INT_MAX},
                    {"SE12", INT_MIN, INT_MAX},
                    {"SE17", 0, 255},
                    {"SE21", INT_MIN, INT_MAX},
                    {"SE1", 0, 255},
                    {"SE2", 0, 255},
                    {"SE5", 0, 255},
                    {"SE6", 0, 255},
                    {"SE7", 0, 255},
                    {"SE8", 0, 255},
                    {"SE9", 0, 255},
                    {"SE10", 1, 255},
                    {"SE18", 0, 255},
                    {"SE22", INT_MIN, INT_MAX}};
    for (const auto& s : spinners)
        QTest::newRow(s.name) << QString::fromLatin1(s.name) << s.minimum << s.maximum;
}

void TestDetailImportWindow::dialogLayout()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    TCargar dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Importación de Detalle de Formularios"));
    auto* group = dialog.findChild<QGroupBox*>("GroupBox1");
    QCOMPARE(group->title(), QStringLiteral("Detalle de la Declaración"));
    auto* se = group->findChild<QSpinBox*>(name);
    QVERIFY(se);
    QCOMPARE(se->value(), 1);
    QCOMPARE(se->minimum(), minimum);
    QCOMPARE(se->maximum(), maximum);
    QVERIFY(group->findChild<QLineEdit*>("Edit1")->isReadOnly());
    QCOMPARE(group->findChild<QAbstractButton*>("BitBtn1")->text(), QStringLiteral("S&eleccionar"));
    QCOMPARE(dialog.findChild<QAbstractButton*>("BitBtn2")->parentWidget(), &dialog);
    QCOMPARE(dialog.findChild<QAbstractButton*>("BitBtn3")->parentWidget(), &dialog);
}

void TestDetailImportWindow::keyboardWalk()
{
    TCargar dialog;
    QVERIFY(keyboard::showActive(dialog));
    dialog.findChild<QSpinBox*>("SE11")->setFocus();
    int value = 0;
    for (const char* name :
         {"SE11", "SE12", "SE17", "SE21", "SE1", "SE2", "SE5", "SE6", "SE7", "SE8", "SE9", "SE10", "SE18", "SE22"}) {
        auto* se = dialog.findChild<QSpinBox*>(name);
        QVERIFY2(se->hasFocus(), name);
        QTest::keyClick(se, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(se, QString::number(++value));
        QTest::keyClick(se, Qt::Key_Enter);
        QCOMPARE(se->value(), value);
    }
    for (const char* next : {"Edit1", "BitBtn1", "BitBtn2", "BitBtn3"}) {
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
        keyboard::press(Qt::Key_Tab);
    }
    const DetailColumns c = dialog.columns();
    QCOMPARE(c.fecha.from, 1);
    QCOMPARE(c.razonSocial.to, 4);
    QCOMPARE(c.cuit.from, 5);
    QCOMPARE(c.puntoVenta.to, 14);
}

void TestDetailImportWindow::cargarBeforeChoosingAFile()
{
    f();
    TCargar dialog;
    dialog.show();
    auto* cargar = dialog.findChild<QAbstractButton*>("BitBtn2");
    cargar->click();
    QVERIFY(cargar->isEnabled());
    QVERIFY(f().prompt.shown().isEmpty());
}

void TestDetailImportWindow::loadThroughTheDialog_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<PromptButton>("answer");  // to the failure question
    QTest::addColumn<QStringList>("modals");   // dialogs shown modally
    QTest::addColumn<QString>("progress");
    QTest::newRow("loaded") << QStringList{detailLine(cuitFor(1)), detailLine(cuitFor(2))} << PromptButton::None
                            << QStringList{} << "Cargando Registro Nº: 2";
    QTest::newRow("failed, help wanted") << QStringList{detailLine(cuitFor(1)), detailLine(cuitFor(1), "3", "2")}
                                         << PromptButton::Yes << QStringList{"AyCarga"} << "";
    QTest::newRow("failed, no help") << QStringList{detailLine(cuitFor(9))} << PromptButton::No << QStringList{} << "";
}

void TestDetailImportWindow::loadThroughTheDialog()
{
    QFETCH(QStringList, lines);
    QFETCH(PromptButton, answer);
    QFETCH(QStringList, modals);
    QFETCH(QString, progress);
    f();
    AyCarga = new TAyCarga;
    QStringList shown;
    setModalHandler([&shown](QDialog& d) {
        shown << d.objectName();
        return int(QDialog::Accepted);
    });
    TCargar dialog;
    dialog.show();
    const DetailColumns c = DetailLayout;
    const std::pair<const char*, int> positions[] = {{"SE11", c.fecha.from},
                                                     {"SE12", c.fecha.to},
                                                     {"SE17", c.razonSocial.from},
                                                     {"SE21", c.razonSocial.to},
                                                     {"SE1", c.cuit.from},
                                                     {"SE2", c.cuit.to},
                                                     {"SE5", c.tipoComprobante.from},
                                                     {"SE6", c.tipoComprobante.to},
                                                     {"SE7", c.nDesde.from},
                                                     {"SE8", c.nDesde.to},
                                                     {"SE9", c.nHasta.from},
                                                     {"SE10", c.nHasta.to},
                                                     {"SE18", c.puntoVenta.from},
                                                     {"SE22", c.puntoVenta.to}};
    for (const auto& [name, value] : positions)
        dialog.findChild<QSpinBox*>(name)->setValue(value);

    const QString path = f().write(QStringLiteral("detalle.prn"), fileOf(lines));
    f().prompt.answerFile(path);
    dialog.findChild<QAbstractButton*>("BitBtn1")->click();
    QCOMPARE(f().prompt.last().caption, QStringLiteral("Carga de Datos"));
    QCOMPARE(dialog.findChild<QLineEdit*>("Edit1")->text(), QDir::toNativeSeparators(path));

    f().prompt.answer(PromptButton::Ok);
    if (answer != PromptButton::None)
        f().prompt.answer(answer);
    auto* cargar = dialog.findChild<QAbstractButton*>("BitBtn2");
    cargar->click();
    QCOMPARE(shown, modals);
    QCOMPARE(imported(), answer == PromptButton::None ? int(lines.size()) : 0);
    QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), progress);
    QVERIFY(cargar->isEnabled());
}

void TestDetailImportWindow::helpLines()
{
    TAyCarga help;
    QCOMPARE(help.windowTitle(), QStringLiteral("Ayuda"));
    QCOMPARE(help.findChild<QGroupBox*>("GroupBox1")->title(), QStringLiteral("Errores"));
    auto* list = help.findChild<QListWidget*>("ListBox1");
    QCOMPARE(list->count(), 24);
    const int leading[24] = {0, 18, 0, 0, 18, 0, 0, 18, 0, 0, 18, 23, 0, 18, 31, 0, 0, 17, 20, 0, 17, 0, 0, 17};
    for (int i = 0; i < 24; ++i) {
        const QString text = list->item(i)->text();
        qsizetype blanks = 0;
        while (blanks < text.size() && text[blanks] == QLatin1Char(' '))
            ++blanks;
        QVERIFY2(blanks == leading[i], qPrintable(QStringLiteral("line %1: %2 blanks").arg(i + 1).arg(blanks)));
    }
    QVERIFY(list->item(0)->text().startsWith(QStringLiteral("Error 1:      Causa:   Formato Númerico Inválido")));
    QCOMPARE(list->item(11)->text(), QString(23, QLatin1Char(' ')));
    QCOMPARE(list->item(13)->text(),
             QString(18, QLatin1Char(' ')) + "Acción: Debe Ingresar los Datos del Contribuyente ");
    QCOMPARE(list->item(18)->text(), QString(20, QLatin1Char(' ')));
    QCOMPARE(list->item(20)->text(),
             QString(17, QLatin1Char(' ')) + "Acción:El campo Anulado debe ser (\"S\" o \"N\")");
    QCOMPARE(list->item(22)->text(),
             QStringLiteral("Error 9:     Causa: El campo Retención Sufrida no posee un valor valido"));

    help.show();
    help.findChild<QAbstractButton*>("Button1")->click();
    QVERIFY(!help.isVisible());
    QCOMPARE(help.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestDetailImportWindow)
#include "tst_detailimportwindow.moc"
