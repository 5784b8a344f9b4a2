// The detail import: the result code of a line, the all-or-nothing run, its dialog and the help.

#include "ImportFixture.h"
#include "import/AyudaCarga.h"
#include "import/Carga.h"
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
using import::DetailColumns;

Q_DECLARE_METATYPE(PromptButton)

namespace {

const QString Confirm = QStringLiteral("Se cargara el archivo seleccionado");

QString loaded(int count) { return QStringLiteral("Se han cargado con exito %1 Registros").arg(count); }

QString failed(int line, int code)
{
    return QStringLiteral(
               "Fallo en registro Nº %1 con error: %2. Deberá Cargar Nuevamente la DJ.\r"
               "¿Desea obtener más Información?")
        .arg(line)
        .arg(code);
}

// The layout of these tests: date 1-10, name 11-30, C.U.I.T. 31-43, form type 44-63, first
// number 64-71, last number 72-79, point of sale 80-83.
const DetailColumns Layout{{1, 10}, {11, 30}, {31, 43}, {44, 63}, {64, 71}, {72, 79}, {80, 83}};

QString detailLine(const QString& cuit, const QString& desde = QStringLiteral("101"),
                   const QString& hasta = QStringLiteral("150"), const QString& name = QStringLiteral("Alfa SRL"),
                   const QString& fecha = QStringLiteral("05/04/2024"),
                   const QString& tipo = QStringLiteral("Facturas B"), const QString& pv = QStringLiteral("a001"))
{
    return fecha.leftJustified(10, QLatin1Char(' '), true) + name.leftJustified(20, QLatin1Char(' '), true) +
           cuit.leftJustified(13, QLatin1Char(' '), true) + tipo.leftJustified(20, QLatin1Char(' '), true) +
           desde.rightJustified(8, QLatin1Char(' '), true) + hasta.rightJustified(8, QLatin1Char(' '), true) +
           pv.leftJustified(4, QLatin1Char(' '), true);
}

QByteArray fileOf(const QStringList& lines)
{
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

const QString Stored = QStringLiteral(
    "Cliente, Fecha, Tipo_comprobante, NDesde, NHasta, CanTalonarios, Punto_Venta, "
    "Importado, Anulado, Anio, Anticipo, ProcesoN");

}  // namespace

class TestDetailImport : public QObject {
    Q_OBJECT

    std::unique_ptr<fixture::Imports> m_f;
    qint64 m_alfa = 0;
    qint64 m_beta = 0;

    fixture::Imports& f()  // made on first use, with two clients: the line codes need no tables
    {
        if (!m_f) {
            m_f = std::make_unique<fixture::Imports>();
            m_alfa = m_f->addClient(cuitFor(1), QStringLiteral("ALFA SRL"));
            m_beta = m_f->addClient(cuitFor(2), QStringLiteral("BETA SA"));
        }
        return *m_f;
    }

    // A run the user confirms ("Se cargara el archivo seleccionado").
    import::DetailOutcome run(const QStringList& lines) { f().prompt.answer(PromptButton::Ok);
    return import::importDetails(f().m(), f().write(QStringLiteral("detalle.txt"), fileOf(lines)), Layout);
}

    int imported()
{
    return f().count(QStringLiteral("detalle"), QStringLiteral("Importado = 'S'"));
}

private slots:
void cleanup()
{
    setModalHandler({});
    delete AyCarga;
    AyCarga = nullptr;
    m_f.reset();
}

void decodificar_data();
void decodificar();
void loadsRows();
void secondImportBesideTheFirst();
void failureRemovesEveryImportedRow_data();
void failureRemovesEveryImportedRow();
void cancelImportsNothing();
void badFileLosesNothing_data();
void badFileLosesNothing();

void dialogLayout_data();
void dialogLayout();
void keyboardWalk();
void cargarBeforeChoosingAFile();
void loadThroughTheDialog_data();
void loadThroughTheDialog();
void helpLines();
}
;

void TestDetailImport::decodificar_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("row");  // for code 0: the stored values joined by '|'

    const QString a = cuitFor(1);
    const QString taken = "05/04/2024|Facturas B|7|101|150|50|A001";
    QTest::newRow("taken") << detailLine(a) << 0 << taken;
    QTest::newRow("one form") << detailLine(a, "150", "150") << 0 << "05/04/2024|Facturas B|7|150|150|1|A001";
    QTest::newRow("leading zeros and a sign") << detailLine(a, "+0000101", "150") << 0 << taken;
    QTest::newRow("C.U.I.T. followed by more") << detailLine(a + "XY") << 0 << taken;
    QTest::newRow("empty line") << QString() << 1 << "";
    QTest::newRow("no date") << detailLine(a, "101", "150", "Alfa", "") << 4 << "";
    QTest::newRow("no name") << detailLine(a, "101", "150", "") << 4 << "";
    QTest::newRow("no C.U.I.T.") << detailLine("") << 4 << "";
    QTest::newRow("no form type") << detailLine(a, "101", "150", "Alfa", "05/04/2024", "") << 4 << "";
    QTest::newRow("no point of sale") << detailLine(a, "101", "150", "Alfa", "05/04/2024", "Fact", "") << 4 << "";
    QTest::newRow("no first number") << detailLine(a, "") << 1 << "";
    QTest::newRow("no last number") << detailLine(a, "101", "") << 1 << "";
    QTest::newRow("decimal point") << detailLine(a, "101.5", "150") << 1 << "";
    QTest::newRow("decimal comma") << detailLine(a, "101", "150,0") << 1 << "";
    QTest::newRow("thousands separator") << detailLine(a, "1.000", "2.000") << 1 << "";
    QTest::newRow("letters") << detailLine(a, "12a", "150") << 1 << "";
    QTest::newRow("a blank inside") << detailLine(a, "1 01", "150") << 1 << "";
    QTest::newRow("first above last") << detailLine(a, "150", "101") << 3 << "";
    QTest::newRow("first above last, name missing") << detailLine(a, "150", "101", "") << 3 << "";
    QTest::newRow("first above last, C.U.I.T. missing") << detailLine("", "150", "101") << 3 << "";
    QTest::newRow("first above last, last missing") << detailLine(a, "150", "") << 1 << "";
    QTest::newRow("check digit wrong") << detailLine(fixture::badCuitFor(1)) << 5 << "";
    QTest::newRow("C.U.I.T. with dashes") << detailLine(a.left(2) + "-" + a.mid(2, 8) + "-" + a.right(1)) << 5 << "";
    QTest::newRow("C.U.I.T. moved right by two blanks") << detailLine("  " + a) << 5 << "";
    QTest::newRow("client not registered") << detailLine(cuitFor(3)) << 6 << "";
    QTest::newRow("a form type the table cannot hold")
        << detailLine(a, "101", "150", "Alfa", "05/04/2024", "Factura Ω") << 1 << "";
}

void TestDetailImport::decodificar()
{
    QFETCH(QString, line);
    QFETCH(int, code);
    QFETCH(QString, row);
    const QString registered = cuitFor(1);
    const import::ClientLookup find = [&](const QString& cuit) -> std::optional<qint64> {
        if (cuit == registered)
            return 7;
        return std::nullopt;
    };
    import::DetailRow r;
    QCOMPARE(import::Decodificar(line, Layout, find, r), code);
    if (code == 0)
        QCOMPARE(QStringList({r.fecha, r.tipoComprobante, QString::number(r.cliente), QString::number(r.nDesde),
                              QString::number(r.nHasta), QString::number(r.canTalonarios), r.puntoVenta})
                     .join(QLatin1Char('|')),
                 row);
}

void TestDetailImport::loadsRows()
{
    const import::DetailOutcome outcome =
        run({detailLine(cuitFor(1)), detailLine(cuitFor(2), "1", "100", "Beta", "06/04/2024", "Remitos", "2"),
             detailLine(cuitFor(1), "151", "151")});
    QVERIFY(outcome.confirmed);
    QCOMPARE(outcome.code, 0);
    QCOMPARE(outcome.count, 3);
    const QString a = QString::number(m_alfa);
    QCOMPARE(f().rows(QStringLiteral("detalle"), Stored),
             (QStringList{a + "|05/04/2024|Facturas B|101|150|50|A001|S|N|<null>|<null>|<null>",
                          QString::number(m_beta) + "|06/04/2024|Remitos|1|100|100|2|S|N|<null>|<null>|<null>",
                          a + "|05/04/2024|Facturas B|151|151|1|A001|S|N|<null>|<null>|<null>"}));
    QCOMPARE(f().prompt.texts(), (QStringList{Confirm, loaded(3)}));
    for (const PromptMessage& m : f().prompt.shown())
        QCOMPARE(m.caption, QStringLiteral("Caldivar"));
    QCOMPARE(f().prompt.shown()[0].buttons, PromptButtons::OkCancel);
    QCOMPARE(f().prompt.shown()[1].buttons, PromptButtons::Ok);
    // The workbench's view shows them, with the registered client's name.
    store::Dataset* view = f().m().TDetalles;
    QCOMPARE(view->recordCount(), 3);
    view->first();
    QCOMPARE(view->text(QStringLiteral("Razon_social")), QStringLiteral("ALFA SRL"));
}

void TestDetailImport::secondImportBesideTheFirst()
{
    QCOMPARE(run({detailLine(cuitFor(1)), detailLine(cuitFor(2))}).code, 0);
    QCOMPARE(run({detailLine(cuitFor(2), "1", "10")}).code, 0);
    QCOMPARE(imported(), 3);
    QCOMPARE(f().prompt.texts().last(), loaded(1));
}

void TestDetailImport::failureRemovesEveryImportedRow_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<PromptButton>("answer");

    const QString good = detailLine(cuitFor(1));
    QTest::newRow("unknown client on line 2")
        << fileOf({good, detailLine(cuitFor(3)), good}) << 2 << 6 << PromptButton::Yes;
    QTest::newRow("reversed numbers and a missing name")
        << fileOf({detailLine(cuitFor(2), "9", "1", "")}) << 1 << 3 << PromptButton::No;
    QTest::newRow("a trailing empty line") << fileOf({good, good, QString()}) << 3 << 1 << PromptButton::No;
}

// Two good imports, then a failing third: every imported open row goes, typed rows and filed
// periods stay.
void TestDetailImport::failureRemovesEveryImportedRow()
{
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    QFETCH(int, code);
    QFETCH(PromptButton, answer);
    f().addTypedDetail(m_alfa);
    f().addTypedDetail(m_beta, QStringLiteral("2023"));
    QCOMPARE(run({detailLine(cuitFor(1)), detailLine(cuitFor(2))}).code, 0);
    QCOMPARE(run({detailLine(cuitFor(2))}).code, 0);
    QCOMPARE(imported(), 3);
    const QStringList typed = f().rows(QStringLiteral("detalle"), Stored, QStringLiteral("Importado IS NULL"));
    QCOMPARE(typed.size(), 2);

    f().prompt.clear();
    f().prompt.answer(PromptButton::Ok);
    f().prompt.answer(answer);
    const import::DetailOutcome outcome =
        import::importDetails(f().m(), f().write(QStringLiteral("tercero.txt"), content), Layout);
    QCOMPARE(outcome.code, code);
    QCOMPARE(outcome.count, line);
    QCOMPARE(outcome.help, answer == PromptButton::Yes);
    QCOMPARE(imported(), 0);
    QCOMPARE(f().rows(QStringLiteral("detalle"), Stored), typed);
    QCOMPARE(f().prompt.texts(), (QStringList{Confirm, failed(line, code)}));
    QCOMPARE(f().prompt.last().caption, QStringLiteral("Caldivar"));
    QCOMPARE(f().prompt.last().buttons, PromptButtons::YesNo);
    QCOMPARE(f().m().TDetalles->recordCount(), 1);
}

void TestDetailImport::cancelImportsNothing()
{
    QCOMPARE(run({detailLine(cuitFor(1))}).code, 0);
    f().prompt.clear();
    f().prompt.answer(PromptButton::Cancel);
    const import::DetailOutcome outcome =
        import::importDetails(f().m(), f().write(QStringLiteral("detalle.txt"), fileOf({detailLine(cuitFor(3))})),
                              Layout);  // would fail and remove
    QVERIFY(!outcome.confirmed);
    QCOMPARE(imported(), 1);
    QCOMPARE(f().prompt.texts(), QStringList{Confirm});
}

void TestDetailImport::badFileLosesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("binary") << fileOf({detailLine(cuitFor(2))}) + QByteArray("\x01\0\x02", 3);
    QTest::newRow("empty") << QByteArray();
}

// Refused before the question: the earlier import stays.
void TestDetailImport::badFileLosesNothing()
{
    QFETCH(QByteArray, content);
    QCOMPARE(run({detailLine(cuitFor(1))}).code, 0);
    f().prompt.clear();
    const QString path = f().write(QStringLiteral("malo.prn"), content);
    QVERIFY_THROWS_EXCEPTION(store::StoreError, import::importDetails(f().m(), path, Layout));
    QCOMPARE(imported(), 1);
    QVERIFY(f().prompt.shown().isEmpty());
}

// ---------------------------------------------------------------- the dialogs

void TestDetailImport::dialogLayout_data()
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

void TestDetailImport::dialogLayout()
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

void TestDetailImport::keyboardWalk()
{
    TCargar dialog;
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
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
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const DetailColumns c = dialog.columns();
    QCOMPARE(c.fecha.from, 1);
    QCOMPARE(c.razonSocial.to, 4);
    QCOMPARE(c.cuit.from, 5);
    QCOMPARE(c.puntoVenta.to, 14);
}

void TestDetailImport::cargarBeforeChoosingAFile()
{
    f();
    TCargar dialog;
    dialog.show();
    auto* cargar = dialog.findChild<QAbstractButton*>("BitBtn2");
    cargar->click();
    QVERIFY(cargar->isEnabled());
    QVERIFY(f().prompt.shown().isEmpty());
}

void TestDetailImport::loadThroughTheDialog_data()
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

void TestDetailImport::loadThroughTheDialog()
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
    const DetailColumns c = Layout;
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

void TestDetailImport::helpLines()
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

QTEST_MAIN(TestDetailImport)
#include "tst_detailimport.moc"
