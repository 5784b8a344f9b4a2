// The client register import: which lines become clients, the run over a file, and its dialog.

#include "ImportFixture.h"
#include "import/CargarContri.h"
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
using import::ClientColumns;

namespace {

const QString OnlyComplete = QStringLiteral("Solo se cargaran los Contribuyentes con datos completos");

QString loaded(int count) { return QStringLiteral("Se han cargado con exito %1 Registros").arg(count); }

// The register layout of these tests: C.U.I.T. 1-11, name 12-41, registration 42-51, address
// 52-81, locality 82-101, postal code 102-107, province 108-127.
const ClientColumns Layout{{1, 11}, {12, 41}, {42, 51}, {52, 81}, {82, 101}, {102, 107}, {108, 127}};

QString clientLine(const QString& cuit, const QString& name, const QString& inscripcion = QStringLiteral("901-22"),
                   const QString& domicilio = QStringLiteral("San Martin 120"),
                   const QString& localidad = QStringLiteral("Rosario"), const QString& cp = QStringLiteral("2000"),
                   const QString& provincia = QStringLiteral("Santa Fe"))
{
    return cuit.leftJustified(11, QLatin1Char(' '), true) + name.leftJustified(30, QLatin1Char(' '), true) +
           inscripcion.leftJustified(10, QLatin1Char(' '), true) + domicilio.leftJustified(30, QLatin1Char(' '), true) +
           localidad.leftJustified(20, QLatin1Char(' '), true) + cp.leftJustified(6, QLatin1Char(' '), true) +
           provincia.leftJustified(20, QLatin1Char(' '), true);
}

QByteArray fileOf(const QStringList& lines)
{
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

const QString ClientColumnsText =
    QStringLiteral("Cuit, Razon_Social, Inscripcion, Domicilio, Localidad, Codigo_Postal, Provincia");

}  // namespace

class TestClientImport : public QObject {
    Q_OBJECT

    std::unique_ptr<fixture::Imports> m_f;
    fixture::Imports& f()  // made on first use: the line rules need no tables
    {
        if (!m_f)
            m_f = std::make_unique<fixture::Imports>();
        return *m_f;
    }

    QStringList clients() { return f().rows(QStringLiteral("cliente"), ClientColumnsText); }

private slots:
    void cleanup()
    {
        setModalHandler({});
        m_f.reset();
    }

    void clientFromLine_data();
    void clientFromLine();
    void loadsNewClients();
    void onlyKnownClientsAddNothing();
    void sameCuitTwiceInOneFile();
    void valuesCutToTheirFields();
    void lineTheTableCannotHoldIsSkipped();
    void unreadableFileLosesNothing_data();
    void unreadableFileLosesNothing();

    void dialogLayout();
    void cargarBeforeChoosingAFile();
    void chooseAndLoad();
    void keyboardWalk();
    void fileDialogGivesTheSuffix();
};

void TestClientImport::clientFromLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("client");  // the values joined by '|', empty when the line is skipped

    const QString a = cuitFor(1234567);
    QTest::newRow("complete, upper case but the registration")
        << clientLine(a, "josé peña srl", "901-ab", "av. san martín 12", "rosario", "s2000a", "santa fe")
        << a + "|JOSé PEñA SRL|901-ab|AV. SAN MARTíN 12|ROSARIO|S2000A|SANTA FE";
    QTest::newRow("check digit wrong") << clientLine(fixture::badCuitFor(1234567), "ALFA") << "";
    QTest::newRow("blank C.U.I.T.") << clientLine("", "ALFA") << "";
    QTest::newRow("C.U.I.T. with dashes") << clientLine("20-01234567-8", "ALFA") << "";
    QTest::newRow("no name") << clientLine(a, "") << "";
    QTest::newRow("no registration") << clientLine(a, "ALFA", "") << "";
    QTest::newRow("no address") << clientLine(a, "ALFA", "1", "") << "";
    QTest::newRow("no locality") << clientLine(a, "ALFA", "1", "X", "") << "";
    QTest::newRow("no postal code") << clientLine(a, "ALFA", "1", "X", "Rosario", "") << "";
    QTest::newRow("no province outside the capital") << clientLine(a, "ALFA", "1", "X", "Rosario", "2000", "") << "";
    QTest::newRow("no province in the capital, any case")
        << clientLine(a, "Alfa", "1", "X", "cApItAl FeDeRaL", "1000", "") << a + "|ALFA|1|X|CAPITAL FEDERAL|1000|";
    QTest::newRow("C.U.I.T. shifted out of its columns") << clientLine(" " + a.left(10), "Alfa") << "";
    const QString full = clientLine(a, "Alfa", "1", "X", "Rosario", "2000", "Santa Fe");
    QTest::newRow("a line ending inside the province") << full.left(110) << a + "|ALFA|1|X|ROSARIO|2000|SAN";
    QTest::newRow("a line ending before the province") << full.left(107) << "";
    QTest::newRow("a line ending before the postal code") << full.left(100) << "";
}

void TestClientImport::clientFromLine()
{
    QFETCH(QString, line);
    QFETCH(QString, client);
    const std::optional<import::ClientValues> v = import::clientFromLine(line, Layout);
    const QString got = v ? QStringList{v->cuit,      v->razonSocial,  v->inscripcion, v->domicilio,
                                        v->localidad, v->codigoPostal, v->provincia}
                                .join(QLatin1Char('|'))
                          : QString();
    QCOMPARE(got, client);
}

void TestClientImport::loadsNewClients()
{
    f().addClient(cuitFor(1), QStringLiteral("YA REGISTRADO"));
    const QString path = f().write(QStringLiteral("padron.txt"),
                                   fileOf({clientLine(cuitFor(1), "Otro nombre"), clientLine(cuitFor(2), "Beta"),
                                           clientLine(cuitFor(3), "Gamma", "1", "X", "Capital Federal", "1000", ""),
                                           clientLine(cuitFor(4), "Sin provincia", "1", "X", "Cordoba", "5000", "")}));
    QCOMPARE(import::importClients(f().m(), path, Layout), 2);
    QCOMPARE(clients(), (QStringList{cuitFor(1) + "|YA REGISTRADO|<null>|<null>|<null>|<null>|<null>",
                                     cuitFor(2) + "|BETA|901-22|SAN MARTIN 120|ROSARIO|2000|SANTA FE",
                                     cuitFor(3) + "|GAMMA|1|X|CAPITAL FEDERAL|1000|<null>"}));
    QCOMPARE(f().prompt.texts(), (QStringList{OnlyComplete, loaded(2)}));
    QCOMPARE(f().prompt.shown()[0].caption, QStringLiteral("Brosmera"));
    QCOMPARE(f().prompt.shown()[1].caption, QStringLiteral("Quenlaro"));
    QCOMPARE(f().prompt.shown()[1].buttons, PromptButtons::Ok);
    QCOMPARE(f().m().TCliente->recordCount(), 3);  // the lists of clients see the new rows
}

void TestClientImport::onlyKnownClientsAddNothing()
{
    f().addClient(cuitFor(1), QStringLiteral("ALFA"));
    f().addClient(cuitFor(2), QStringLiteral("BETA"));
    const QStringList before = clients();
    const QString path =
        f().write(QStringLiteral("p.prn"), fileOf({clientLine(cuitFor(2), "B"), clientLine(cuitFor(1), "A")}));
    QCOMPARE(import::importClients(f().m(), path, Layout), 0);
    QCOMPARE(clients(), before);
    QCOMPARE(f().prompt.texts().last(), loaded(0));
}

void TestClientImport::sameCuitTwiceInOneFile()
{
    const QString path =
        f().write(QStringLiteral("p.txt"), fileOf({clientLine(cuitFor(5), "Primero"), clientLine(cuitFor(5), "Segundo"),
                                                   clientLine(cuitFor(6), "Tercero")}));
    QCOMPARE(import::importClients(f().m(), path, Layout), 2);
    QCOMPARE(f().rows(QStringLiteral("cliente"), QStringLiteral("Razon_Social")), (QStringList{"PRIMERO", "TERCERO"}));
    QCOMPARE(f().prompt.texts().last(), loaded(2));
}

void TestClientImport::valuesCutToTheirFields()
{
    const ClientColumns wide{{1, 11}, {12, 111}, {112, 131}, {132, 191}, {192, 231}, {232, 241}, {242, 281}};
    const QString line = cuitFor(7) + QString(100, QLatin1Char('n')) + QString(20, QLatin1Char('i')) +
                         QString(60, QLatin1Char('d')) + QString(40, QLatin1Char('l')) + QString(10, QLatin1Char('9')) +
                         QString(40, QLatin1Char('p'));
    QCOMPARE(import::importClients(f().m(), f().write(QStringLiteral("w.txt"), line.toLatin1()), wide), 1);
    QCOMPARE(clients(), QStringList{cuitFor(7) + "|" + QString(60, 'N') + "|" + QString(15, 'i') + "|" +
                                    QString(50, 'D') + "|" + QString(30, 'L') + "|999999|" + QString(30, 'P')});
}

void TestClientImport::lineTheTableCannotHoldIsSkipped()
{
    // UTF-8 with a Greek letter the tables cannot hold, among letters they can.
    const QByteArray content = fileOf({clientLine(cuitFor(8), "Ωmega"), clientLine(cuitFor(9), "Peña €")});
    const QString path = f().write(QStringLiteral("u.txt"), content);
    QCOMPARE(import::importClients(f().m(), path, Layout), 1);
    QCOMPARE(f().rows(QStringLiteral("cliente"), QStringLiteral("Razon_Social")), QStringList{"PEñA €"});
}

void TestClientImport::unreadableFileLosesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("NUL bytes after good lines")
        << fileOf({clientLine(cuitFor(10), "Alfa"), clientLine(cuitFor(11), "Beta")}) + QByteArray("\0\0\n", 3) << true;
    QTest::newRow("gone before Cargar") << QByteArray() << false;
}

void TestClientImport::unreadableFileLosesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    f().addClient(cuitFor(1), QStringLiteral("ALFA"));
    const QStringList before = clients();
    const QString path = f().write(QStringLiteral("bad.txt"), content);
    if (!exists)
        QFile::remove(path);
    QVERIFY_THROWS_EXCEPTION(store::StoreError, import::importClients(f().m(), path, Layout));
    QCOMPARE(clients(), before);
    QCOMPARE(f().prompt.texts(), QStringList{loaded(0)});  // the count still shows, then the error
}

// ---------------------------------------------------------------- the dialog

void TestClientImport::dialogLayout()
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

void TestClientImport::cargarBeforeChoosingAFile()
{
    f();
    TFCargarcont dialog;
    dialog.show();
    auto* cargar = dialog.findChild<QAbstractButton*>("BitBtn2");
    cargar->click();
    QVERIFY(cargar->isEnabled());
    QVERIFY(f().prompt.shown().isEmpty());
}

void TestClientImport::chooseAndLoad()
{
    TFCargarcont dialog;
    dialog.show();
    const ClientColumns c = Layout;
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

void TestClientImport::keyboardWalk()
{
    TFCargarcont dialog;
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* first = dialog.findChild<QSpinBox*>("SE1");
    first->setFocus();
    for (int i = 1; i <= 14; ++i) {
        auto* se = dialog.findChild<QSpinBox*>(QStringLiteral("SE%1").arg(i));
        QVERIFY2(se->hasFocus(), qPrintable(QStringLiteral("SE%1").arg(i)));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QString::number(i * 10));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(se->value(), i * 10);
    }
    for (const char* next : {"Edit1", "BitBtn1", "BitBtn2", "BitBtn3"}) {
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(dialog.columns().provincia.to, 140);
}

// The program's file dialog: a name typed without its suffix finds the .prn file, and the
// filters show their descriptions alone.
void TestClientImport::fileDialogGivesTheSuffix()
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

QTEST_MAIN(TestClientImport)
#include "tst_clientimport.moc"
