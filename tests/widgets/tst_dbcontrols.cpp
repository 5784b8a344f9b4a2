#include "DataFolder.h"
#include "Keyboard.h"
#include "SampleRows.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "data/text/FixedFormats.h"
#include "widgets/DBCheckBox.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/EnterAsTab.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QDialog>
#include <QPaintEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using fixture::addClient;
using store::DatasetState;

namespace {

// A dialog with an edit box for the C.U.I.T., one for the name, a list, a check box and a button.
struct Form {
    QDialog dialog;
    DBEdit* cuit = new DBEdit(&dialog);
    DBEdit* name = new DBEdit(&dialog);
    DBComboBox* province = new DBComboBox(&dialog);
    DBCheckBox* flag = new DBCheckBox(QStringLiteral("VMR"), &dialog);
    QPushButton* button = new QPushButton(QStringLiteral("Aceptar"), &dialog);

    explicit Form(TDModulo& m)
    {
        auto* layout = new QVBoxLayout(&dialog);
        for (QWidget* w : std::initializer_list<QWidget*>{cuit, name, province, flag, button})
            layout->addWidget(w);
        cuit->setDataField(m.TImprentas, QStringLiteral("Cuit"));
        name->setDataField(m.TImprentas, QStringLiteral("Nombre"));
        name->setUpperCase(true);
        province->addItems({QStringLiteral("SALTA"), QStringLiteral("SAN JUAN ")});
        province->setDataField(m.TImprentas, QStringLiteral("Provincia"));
        flag->setDataField(m.TImprentas, QStringLiteral("VMR"));
        EnterAsTab::install(&dialog);
        QVERIFY(keyboard::showActive(dialog));
    }
};

}  // namespace

class TestDBControls : public QObject {
    Q_OBJECT
private slots:
    void typedTextReachesFieldOnLeaving();
    void refusedValueKeepsFormerValueAndFocus();
    void comboKeepsTrailingBlankAndCheckBoxWritesFlags();
    void enterMovesLikeTabAndPressesButtons();
    void gridFollowsViewBothWays();
    void gridReadsWhileShown();
    void gridRepaintsLookupsOfAChangedClient();
    void gridShowsNumbersAndCuitWhole();
    void listOpensOnOwnValueWideEnough();
};

void TestDBControls::typedTextReachesFieldOnLeaving()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    m.TImprentas->edit();
    Form form(m);
    form.name->setFocus();
    QTest::keyClicks(form.name, QStringLiteral("imprenta "));
    QTest::sendKeyEvent(QTest::Click, form.name, Qt::Key_unknown, QStringLiteral("ñ"), Qt::NoModifier);
    QCOMPARE(form.name->text(), QStringLiteral("IMPRENTA Ñ"));
    QVERIFY(m.TImprentas->text(QStringLiteral("Nombre")).isEmpty());  // not yet: the box holds it
    QTest::keyClick(form.name, Qt::Key_Tab);
    QCOMPARE(m.TImprentas->text(QStringLiteral("Nombre")), QStringLiteral("IMPRENTA Ñ"));

    // A post writes what a control still holds.
    form.cuit->setFocus();
    QTest::keyClicks(form.cuit, QStringLiteral("20123456786"));
    m.TImprentas->post();
    QCOMPARE(m.TImprentas->text(QStringLiteral("Cuit")), QStringLiteral("20123456786"));
    QCOMPARE(m.TImprentas->state(), DatasetState::Browse);
}

void TestDBControls::refusedValueKeepsFormerValueAndFocus()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    ScriptedPrompt prompt;
    m.TImprentas->edit();
    m.TImprentas->setText(QStringLiteral("Cuit"), QStringLiteral("20123456786"));
    Form form(m);
    form.cuit->setFocus();
    form.cuit->selectAll();
    QTest::keyClicks(form.cuit, QStringLiteral("20123456785"));
    QTest::keyClick(form.cuit, Qt::Key_Tab);
    QCOMPARE(prompt.texts(), QStringList{QStringLiteral("C.U.I.T. Inválido")});
    QCOMPARE(m.TImprentas->text(QStringLiteral("Cuit")), QStringLiteral("20123456786"));
    QTRY_VERIFY(form.cuit->hasFocus());
    QCOMPARE(form.cuit->text(), QStringLiteral("20123456785"));  // left for the user to correct
    // The save that follows does not complete either.
    QVERIFY_THROWS_EXCEPTION(store::Abort, m.TImprentas->post());
    QCOMPARE(m.TImprentas->state(), DatasetState::Insert);
}

void TestDBControls::comboKeepsTrailingBlankAndCheckBoxWritesFlags()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    m.TImprentas->edit();
    Form form(m);
    QVERIFY(!form.flag->isChecked());  // a new agent row starts with "N"
    form.province->setFocus();
    form.province->setCurrentIndex(1);
    emit form.province->activated(1);
    keyboard::press(Qt::Key_Tab);
    QTRY_VERIFY(form.flag->hasFocus());
    QTest::keyClick(form.flag, Qt::Key_Space);
    QCOMPARE(m.TImprentas->text(QStringLiteral("VMR")), QStringLiteral("S"));
    QCOMPARE(m.TImprentas->text(QStringLiteral("Provincia")), QStringLiteral("SAN JUAN "));
    QTest::keyClick(form.flag, Qt::Key_Space);
    QCOMPARE(m.TImprentas->text(QStringLiteral("VMR")), QStringLiteral("N"));
    // Cancelling shows the stored row again.
    m.TImprentas->cancel();
    QCOMPARE(form.province->currentText(), QString());
}

void TestDBControls::enterMovesLikeTabAndPressesButtons()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    m.TImprentas->edit();
    Form form(m);
    QSignalSpy pressed(form.button, &QPushButton::clicked);
    form.cuit->setFocus();
    QTest::keyClick(form.cuit, Qt::Key_Return);
    QTRY_VERIFY(form.name->hasFocus());
    QTest::keyClick(form.name, Qt::Key_Enter);
    QTRY_VERIFY(form.province->hasFocus());
    keyboard::press(Qt::Key_Return);
    QTRY_VERIFY(form.flag->hasFocus());
    QTest::keyClick(form.flag, Qt::Key_Return);
    QTRY_VERIFY(form.button->hasFocus());
    QCOMPARE(pressed.count(), 0);  // reaching the button does not press it
    QTest::keyClick(form.button, Qt::Key_Return);
    QCOMPARE(pressed.count(), 1);
}

// However narrow the width a window asks for, a C.U.I.T., a date and a 15-digit number fit.
void TestDBControls::gridShowsNumbersAndCuitWhole()
{
    ScriptedPrompt prompt;
    DataFolder folder;
    TDModulo& m = folder.modulo();
    DBGrid grid;
    grid.setDataset(m.TVerDetalles,
                    {{QStringLiteral("Fecha"), QStringLiteral("Fecha"), 4, GridColumn::Format::Plain},
                     {QStringLiteral("Cuit"), QStringLiteral("Cuit"), 4, GridColumn::Format::Plain},
                     {QStringLiteral("NHasta"), QStringLiteral("N"), 4, GridColumn::Format::Plain},
                     {QStringLiteral("Razon_Social"), QStringLiteral("R"), 4, GridColumn::Format::Plain}});
    const QFontMetrics metrics = grid.fontMetrics();
    QVERIFY(grid.columnWidth(0) >= metrics.horizontalAdvance(QStringLiteral("00/00/0000")));
    QVERIFY(grid.columnWidth(1) >= metrics.horizontalAdvance(QStringLiteral("20-12345678-6")));
    QVERIFY(grid.columnWidth(2) >= metrics.horizontalAdvance(QStringLiteral("999999999999999")));
    QVERIFY(grid.columnWidth(3) < metrics.horizontalAdvance(QStringLiteral("RAZON SOCIAL DE SESENTA LETRAS")));
}

void TestDBControls::listOpensOnOwnValueWideEnough()
{
    QDialog dialog;
    auto* box = new DBComboBox(&dialog);
    box->setEditable(true);
    box->setFixedWidth(80);
    const QString longest = QStringLiteral("Notas de Debito o Documentos Equivalentes que Cumplan con la RG 3419");
    box->addItems({QStringLiteral("Facturas A"), QStringLiteral("Recibos B"), longest});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    box->setEditText(QStringLiteral("Recibos B"));
    box->showPopup();
    QCOMPARE(box->view()->currentIndex().row(), 1);
    QVERIFY(box->view()->width() >= box->view()->fontMetrics().horizontalAdvance(longest));
    box->hidePopup();
    QCOMPARE(box->currentText(), QStringLiteral("Recibos B"));

    box->setEditText(QString());
    box->showPopup();
    QVERIFY(!box->view()->currentIndex().isValid());
    box->hidePopup();
    QCOMPARE(box->currentText(), QString());
}

void TestDBControls::gridFollowsViewBothWays()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    addClient(m, QStringLiteral("30000000007"), QStringLiteral("TERCERO"));  // C.U.I.T. order
    addClient(m, QStringLiteral("20123456786"), QStringLiteral("PRIMERO"));
    DBGrid grid;
    QAbstractItemModelTester tester(&grid.gridModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setDataset(m.TCliente,
                    {{QStringLiteral("Cuit"), QString(), 0, GridColumn::Format::Plain},
                     {QStringLiteral("Razon_Social"), QStringLiteral("Razon Social"), 0, GridColumn::Format::Plain}});
    grid.show();
    QCOMPARE(grid.gridModel().rowCount(), 2);
    QCOMPARE(grid.gridModel().index(0, 1).data().toString(), QStringLiteral("PRIMERO"));
    QCOMPARE(grid.gridModel().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Razon Social"));

    grid.setCurrentIndex(grid.gridModel().index(1, 0));
    QCOMPARE(m.TCliente->text(QStringLiteral("Razon_Social")), QStringLiteral("TERCERO"));
    m.TCliente->first();
    QCOMPARE(grid.currentIndex().row(), 0);

    // A post through the view shows at once, in order.
    addClient(m, QStringLiteral("20000000001"), QStringLiteral("CERO"));
    QCOMPARE(grid.gridModel().rowCount(), 3);
    QCOMPARE(grid.gridModel().index(0, 1).data().toString(), QStringLiteral("CERO"));
    QCOMPARE(grid.currentIndex().row(), 0);

    // Read-only: typing changes nothing.
    QTest::keyClicks(&grid, QStringLiteral("XYZ"));
    QCOMPARE(m.TCliente->state(), DatasetState::Browse);
    QCOMPARE(store::formats::money(1234567.5), QStringLiteral("1.234.567,50"));
    QCOMPARE(store::formats::money(-0.25), QStringLiteral("-0,25"));
}

// A hidden grid shows no rows and follows nothing; shown, it reads the view, and a post of one
// row changes one line of it, the current line staying on its row.
void TestDBControls::gridReadsWhileShown()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    addClient(m, QStringLiteral("30000000007"), QStringLiteral("TERCERO"));
    DBGrid grid;
    QAbstractItemModelTester tester(&grid.gridModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setDataset(m.TCliente, {{QStringLiteral("Razon_Social"), QString(), 0, GridColumn::Format::Plain}});
    QSignalSpy resets(&grid.gridModel(), &QAbstractItemModel::modelReset);
    addClient(m, QStringLiteral("20123456786"), QStringLiteral("PRIMERO"));
    QCOMPARE(grid.gridModel().rowCount(), 0);
    QCOMPARE(resets.count(), 0);

    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.gridModel().rowCount(), 2);
    m.TCliente->last();
    QCOMPARE(grid.currentIndex().row(), 1);
    resets.clear();
    QSignalSpy inserted(&grid.gridModel(), &QAbstractItemModel::rowsInserted);
    addClient(m, QStringLiteral("20000000001"), QStringLiteral("CERO"));
    QCOMPARE(resets.count(), 0);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 0);
    QCOMPARE(grid.gridModel().index(0, 0).data().toString(), QStringLiteral("CERO"));
    QCOMPARE(grid.currentIndex().row(), 0);  // on the posted row
    m.TCliente->last();
    m.TCliente->remove();
    QCOMPARE(resets.count(), 0);
    QCOMPARE(grid.gridModel().rowCount(), 2);
    QCOMPARE(grid.currentIndex().row(), 1);  // the row that took the removed one's place

    grid.hide();
    QCOMPARE(grid.gridModel().rowCount(), 0);
}

// A client renamed changes what the lookup column shows on every row: that column is painted
// again, the row's own values are left as they stand.
void TestDBControls::gridRepaintsLookupsOfAChangedClient()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    addClient(m, QStringLiteral("20123456786"), QStringLiteral("ANTES"));
    for (int i = 0; i < 3; ++i) {
        m.TDetalles->insert();
        m.TDetalles->setValue(QStringLiteral("Cliente"), 1);
        m.TDetalles->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("REMITO R"));
        m.TDetalles->setValue(QStringLiteral("NDesde"), 1 + 50 * i);
        m.TDetalles->setValue(QStringLiteral("NHasta"), 50 + 50 * i);
        m.TDetalles->post();
    }
    DBGrid grid;
    grid.setDataset(m.TVerDetalles, {{QStringLiteral("NHasta"), QString(), 0, GridColumn::Format::Plain},
                                     {QStringLiteral("Razon_Social"), QString(), 0, GridColumn::Format::Plain}});
    grid.resize(600, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.gridModel().index(2, 1).data().toString(), QStringLiteral("ANTES"));

    struct Painted : QObject {
        QRegion region;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                region += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } painted;
    QCoreApplication::processEvents();
    grid.viewport()->installEventFilter(&painted);
    m.TCliente->edit();
    m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("DESPUES"));
    m.TCliente->post();
    QTRY_VERIFY(!painted.region.isEmpty());

    QCOMPARE(grid.gridModel().index(2, 1).data().toString(), QStringLiteral("DESPUES"));
    const QRect lookupCell = grid.visualRect(grid.gridModel().index(2, 1));
    const QRect ownCell = grid.visualRect(grid.gridModel().index(2, 0));
    QVERIFY(painted.region.contains(lookupCell));
    QVERIFY(!painted.region.intersects(ownCell.adjusted(2, 2, -2, -2)));

    // A new client is no row's client: nothing of the grid is painted again.
    painted.region = QRegion();
    addClient(m, QStringLiteral("20000000001"), QStringLiteral("OTRO"));
    QTest::qWait(50);
    QVERIFY(painted.region.isEmpty());

    // A row whose client is not yet there shows it once the client comes.
    m.TDetalles->insert();
    m.TDetalles->setValue(QStringLiteral("Cliente"), 4);
    m.TDetalles->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("REMITO R"));
    m.TDetalles->setValue(QStringLiteral("NDesde"), 151);
    m.TDetalles->setValue(QStringLiteral("NHasta"), 200);
    m.TDetalles->post();
    QTRY_COMPARE(grid.gridModel().rowCount(), 4);
    QVERIFY(grid.gridModel().index(3, 1).data().toString().isEmpty());
    addClient(m, QStringLiteral("20000000028"), QStringLiteral("TERCERO"));
    QCOMPARE(addClient(m, QStringLiteral("20000000036"), QStringLiteral("CUARTO")), 4);
    QCOMPARE(grid.gridModel().index(3, 1).data().toString(), QStringLiteral("CUARTO"));
}

QTEST_MAIN(TestDBControls)
#include "tst_dbcontrols.moc"
