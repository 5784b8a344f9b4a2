// The two entry dialogs of the open period, typed through with the keyboard.

#include "DetailFixture.h"
#include "Keyboard.h"
#include "details/FormTypes.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBDateEdit.h"
#include "widgets/DBLookupComboBox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>

using keyboard::focusedName;
using keyboard::typeAndTab;
using store::DatasetState;

class TestEntryDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<fixture::Period> m_period;

    fixture::Period& p() { return *m_period; }

    // Types a printed-forms row from the first box to "Aceptar", leaving each box with Tab.
    static void typeDetail(const QStringList& values)
    {
        for (const QString& v : values)
            typeAndTab(v);
        QCOMPARE(focusedName(), QStringLiteral("BitBtn1"));
    }

private slots:
    void init()
    {
        m_period = std::make_unique<fixture::Period>();
        p().prompt.clear();
    }
    void cleanup() { m_period.reset(); }

    void acceptsRange_data();
    void acceptsRange();
    void missingValuesInOrder_data();
    void missingValuesInOrder();
    void lookupsFollowEachOther_data();
    void lookupsFollowEachOther();
    void enterWalksTabOrder_data();
    void enterWalksTabOrder();
    void savedNoticeKeepsDialogUntilYes();
    void closingDropsPendingRow_data();
    void closingDropsPendingRow();
    void formTypeList();
    void machineRow_data();
    void machineRow();
    void machineDateRefused_data();
    void machineDateRefused();
    void typedNumber_data();
    void typedNumber();
    void refusedDetail_data();
    void refusedDetail();
    void dateNormalised_data();
    void dateNormalised();
};

void TestEntryDialogs::acceptsRange_data()
{
    QTest::addColumn<QString>("desde");
    QTest::addColumn<QString>("hasta");
    QTest::addColumn<double>("count");  // -1: refused
    QTest::newRow("equal numbers") << "100"
                                   << "100" << 1.0;
    QTest::newRow("1001 to 1050") << "1001"
                                  << "1050" << 50.0;
    QTest::newRow("200 to 100") << "200"
                                << "100" << -1.0;
    QTest::newRow("a point typed is not taken") << "1.001"
                                                << "1.050" << 50.0;
}

void TestEntryDialogs::acceptsRange()
{
    QFETCH(QString, desde);
    QFETCH(QString, hasta);
    QFETCH(double, count);
    store::Dataset* ds = p().m().TDetalles;
    ds->insert();
    fixture::Period::showActive(*FCDetalles);
    typeDetail({"05032024", "alfa", "", "Facturas A", desde, hasta, ""});
    keyboard::pressEnter();

    if (count < 0) {
        QCOMPARE(p().prompt.texts(), QStringList{"El Número Desde No Puede Ser Mayor al Número Hasta"});
        QCOMPARE(ds->state(), DatasetState::Insert);
        QCOMPARE(p().storedRows("detalle"), 0);
        QVERIFY(FCDetalles->isVisible());
        QTRY_COMPARE(focusedName(), QStringLiteral("DBEdit2"));
        return;
    }
    QCOMPARE(p().prompt.texts(), QStringList{"Los Datos se Guardaron Correctamente"});
    QCOMPARE(p().prompt.last().icon, PromptIcon::Information);
    QCOMPARE(p().prompt.last().buttons, PromptButtons::Yes);
    QVERIFY(!FCDetalles->isVisible());
    QCOMPARE(FCDetalles->result(), int(QDialog::Accepted));
    QCOMPARE(ds->state(), DatasetState::Browse);
    QCOMPARE(ds->recordCount(), 1);
    QCOMPARE(ds->text("Fecha"), QStringLiteral("05/03/2024"));
    QCOMPARE(ds->asInteger("Cliente"), p().clientId(fixture::AlfaName));
    QCOMPARE(ds->text("Tipo_comprobante"), QStringLiteral("Facturas A"));
    QVERIFY(qAbs(ds->asFloat("CanTalonarios") - count) < 1e-9);
    QCOMPARE(ds->text("Anulado"), QStringLiteral("N"));
    for (const char* untouched : {"Punto_Venta", "Importado", "ProcesoN", "Anio", "Anticipo"})
        QVERIFY2(ds->isNull(untouched), untouched);
}

void TestEntryDialogs::missingValuesInOrder_data()
{
    QTest::addColumn<QStringList>("values");  // date, name, C.U.I.T., form type, from, to, point of sale
    QTest::addColumn<QString>("reported");    // the control the notice sends the user back to
    const QString nameless = fixture::namelessCuit();
    QTest::newRow("Fecha") << QStringList{"", "alfa", "", "Recibos A", "1", "2", ""} << "DBEdit1";
    QTest::newRow("no client") << QStringList{"01012024", "", "", "Recibos A", "1", "2", ""} << "DBLookupComboBox1";
    QTest::newRow("client without a name")
        << QStringList{"01012024", "", nameless, "Recibos A", "1", "2", ""} << "DBLookupComboBox1";
    QTest::newRow("client without a C.U.I.T.")
        << QStringList{"01012024", "gamma", "", "Recibos A", "1", "2", ""} << "DBLookupComboBox2";
    QTest::newRow("Tipo de Comprobante") << QStringList{"01012024", "alfa", "", "", "1", "2", ""} << "DBComboBox1";
    QTest::newRow("Numero Desde") << QStringList{"01012024", "alfa", "", "Recibos A", "", "2", ""} << "DBEdit2";
    QTest::newRow("Numero Hasta") << QStringList{"01012024", "alfa", "", "Recibos A", "1", "", "0001"} << "DBEdit3";
    QTest::newRow("the first of several") << QStringList{"", "alfa", "", "", "1", "", ""} << "DBEdit1";
}

void TestEntryDialogs::missingValuesInOrder()
{
    QFETCH(QStringList, values);
    QFETCH(QString, reported);
    store::Dataset* ds = p().m().TDetalles;
    ds->insert();
    fixture::Period::showActive(*FCDetalles);
    typeDetail(values);
    keyboard::pressEnter();
    QCOMPARE(p().prompt.texts(), QStringList{"Faltan Datos Obligatorios"});
    QCOMPARE(p().prompt.last().caption, Prompt::applicationTitle());
    QTRY_COMPARE(focusedName(), reported);
    QCOMPARE(ds->state(), DatasetState::Insert);
    QCOMPARE(p().storedRows("detalle"), 0);
    QVERIFY(FCDetalles->isVisible());
}

void TestEntryDialogs::lookupsFollowEachOther_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("keyField");
    QTest::newRow("printed forms") << "FCDetalles"
                                   << "Cliente";
    QTest::newRow("machines") << "FGMaquina"
                              << "Cliente_id";
}

void TestEntryDialogs::lookupsFollowEachOther()
{
    QFETCH(QString, dialog);
    QFETCH(QString, keyField);
    const bool forms = dialog == QLatin1String("FCDetalles");
    QDialog* d = forms ? static_cast<QDialog*>(FCDetalles) : static_cast<QDialog*>(FGMaquina);
    store::Dataset* ds = forms ? p().m().TDetalles : p().m().TMaquinas;
    auto* names = d->findChild<DBLookupComboBox*>("DBLookupComboBox1");
    auto* cuits = d->findChild<DBLookupComboBox*>("DBLookupComboBox2");
    QVERIFY(names && cuits);
    ds->insert();
    fixture::Period::showActive(*d);
    typeAndTab("");  // past the date

    // A name: typing completes it, leaving it sets the client and the C.U.I.T. follows.
    keyboard::type("be");
    QCOMPARE(names->currentText(), fixture::BetaName);
    QCOMPARE(names->lineEdit()->selectedText(), QStringLiteral("TA COMERCIAL SA"));
    keyboard::press(Qt::Key_Tab);
    QCOMPARE(ds->asInteger(keyField), p().clientId(fixture::BetaName));
    QCOMPARE(cuits->currentText(), fixture::betaCuit());

    // The reverse: a C.U.I.T., and the name follows.
    QCOMPARE(focusedName(), QStringLiteral("DBLookupComboBox2"));
    QCOMPARE(cuits->lineEdit()->selectedText(), fixture::betaCuit());  // entered with Tab: all selected
    keyboard::type(fixture::alfaCuit().left(4));
    QCOMPARE(cuits->currentText(), fixture::alfaCuit());
    keyboard::press(Qt::Key_Tab);
    QCOMPARE(ds->asInteger(keyField), p().clientId(fixture::AlfaName));
    QCOMPARE(names->currentText(), fixture::AlfaName);

    // Picking from the open list sets the client at once.
    names->setFocus();
    names->showPopup();
    QAbstractItemView* list = names->view();
    QTRY_VERIFY(list->isVisible());
    QCOMPARE(list->currentIndex().row(), names->listModel().findValue(fixture::AlfaName));  // opens on the client
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(ds->asInteger(keyField), p().clientId(fixture::BetaName));
    QCOMPARE(cuits->currentText(), fixture::betaCuit());
}

void TestEntryDialogs::enterWalksTabOrder_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("printed forms") << "FCDetalles"
                                   << QStringList{"DBEdit1", "DBLookupComboBox1", "DBLookupComboBox2", "DBComboBox1",
                                                  "DBEdit2", "DBEdit3",           "DBEdit4",           "BitBtn1"};
    QTest::newRow("machines") << "FGMaquina"
                              << QStringList{"DBEdit1", "DBLookupComboBox1", "DBLookupComboBox2", "DBEdit4", "DBEdit5",
                                             "DBEdit2", "DBEdit6",           "DBEdit3",           "DBEdit7", "BitBtn1"};
}

void TestEntryDialogs::enterWalksTabOrder()
{
    QFETCH(QString, dialog);
    QFETCH(QStringList, order);
    QDialog* d =
        dialog == QLatin1String("FCDetalles") ? static_cast<QDialog*>(FCDetalles) : static_cast<QDialog*>(FGMaquina);
    store::Dataset* ds = d == FCDetalles ? p().m().TDetalles : p().m().TMaquinas;
    for (QPushButton* b : d->findChildren<QPushButton*>())
        QVERIFY2(!b->isDefault() && !b->autoDefault(), qPrintable(b->objectName()));
    ds->insert();
    fixture::Period::showActive(*d);
    QTRY_COMPARE(focusedName(), order.first());
    for (int i = 1; i < order.size(); ++i) {
        keyboard::pressEnter();
        QTRY_COMPARE(focusedName(), order[i]);
    }
    // Reaching "Aceptar" does not press it.
    QVERIFY(p().prompt.shown().isEmpty());
    QCOMPARE(ds->state(), DatasetState::Insert);
    QVERIFY(d->isVisible());
}

void TestEntryDialogs::savedNoticeKeepsDialogUntilYes()
{
    store::Dataset* ds = p().m().TDetalles;
    ds->insert();
    fixture::Period::showActive(*FCDetalles);
    typeDetail({"01022024", "beta", "", "Remitos R", "1", "10", "0003"});
    p().prompt.answer(PromptButton::None);  // the notice closed with Esc
    keyboard::pressEnter();
    QCOMPARE(p().storedRows("detalle"), 1);
    QVERIFY(FCDetalles->isVisible());
    QCOMPARE(ds->state(), DatasetState::Browse);

    // The dialog goes on with the row just saved: a change and "Aceptar" save it again.
    auto* hasta = FCDetalles->findChild<QLineEdit*>("DBEdit3");
    hasta->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(hasta, "20");
    QTest::keyClick(hasta, Qt::Key_Tab);
    keyboard::press(Qt::Key_Tab);
    keyboard::pressEnter();
    QVERIFY(!FCDetalles->isVisible());
    QCOMPARE(p().storedRows("detalle"), 1);
    QCOMPARE(ds->asFloat("CanTalonarios"), 20.0);
    QCOMPARE(ds->text("Punto_Venta"), QStringLiteral("0003"));
}

void TestEntryDialogs::closingDropsPendingRow_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("titleBar");  // else "Cancelar"
    QTest::newRow("printed forms, title bar") << "FCDetalles" << true;
    QTest::newRow("printed forms, Cancelar") << "FCDetalles" << false;
    QTest::newRow("machines, title bar") << "FGMaquina" << true;
    QTest::newRow("machines, Cancelar") << "FGMaquina" << false;
}

void TestEntryDialogs::closingDropsPendingRow()
{
    QFETCH(QString, dialog);
    QFETCH(bool, titleBar);
    const bool forms = dialog == QLatin1String("FCDetalles");
    QDialog* d = forms ? static_cast<QDialog*>(FCDetalles) : static_cast<QDialog*>(FGMaquina);
    store::Dataset* ds = forms ? p().m().TDetalles : p().m().TMaquinas;
    ds->insert();
    fixture::Period::showActive(*d);
    typeAndTab("01022024");
    typeAndTab("alfa");
    QVERIFY(ds->modified());
    if (titleBar)
        d->close();
    else
        d->findChild<QPushButton*>("BitBtn2")->click();
    QVERIFY(!d->isVisible());
    QCOMPARE(ds->state(), DatasetState::Browse);
    QCOMPARE(p().storedRows(forms ? "detalle" : "maquina"), 0);
    QVERIFY(p().prompt.shown().isEmpty());
}

void TestEntryDialogs::formTypeList()
{
    auto* list = FCDetalles->findChild<DBComboBox*>("DBComboBox1");
    QVERIFY(list->isEditable());
    QCOMPARE(list->count(), 27);
    QCOMPARE(list->itemText(0), QStringLiteral("Facturas A"));
    QCOMPARE(list->itemText(2), QStringLiteral("Notas de Crédito A"));
    QCOMPARE(list->itemText(16), QStringLiteral("Comprobantes A del Art. 3° inc E) RG 3419"));
    QCOMPARE(list->itemText(19), QStringLiteral("Notas de Credito o Dcto Equivalente que Cumpla con la RG 3419"));
    QCOMPARE(list->itemText(26), QStringLiteral("Remitos R"));

    // Another text is taken as typed.
    store::Dataset* ds = p().m().TDetalles;
    ds->insert();
    fixture::Period::showActive(*FCDetalles);
    typeDetail({"01022024", "alfa", "", "Tiques Propios", "5", "5", ""});
    keyboard::pressEnter();
    QCOMPARE(ds->text("Tipo_comprobante"), QStringLiteral("Tiques Propios"));
}

void TestEntryDialogs::machineRow_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::newRow("all digits") << "05032024" << QDate(2024, 3, 5);
    QTest::newRow("one-digit day and month") << "5/3/2024" << QDate(2024, 3, 5);
    QTest::newRow("29 February of a leap year") << "29022024" << QDate(2024, 2, 29);
}

void TestEntryDialogs::machineRow()
{
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    store::Dataset* ds = p().m().TMaquinas;
    ds->insert();
    fixture::Period::showActive(*FGMaquina);
    // Code, serial number and point of emission are optional.
    for (const QString& v : {typed, QStringLiteral("be"), QString(), QStringLiteral("cajamax"),
                             QStringLiteral("cx 7100"), QString(), QStringLiteral("1234,5"), QString(), QString()})
        typeAndTab(v);
    QCOMPARE(FGMaquina->findChild<QLineEdit*>("DBEdit6")->text(), QStringLiteral("1234,50"));
    QCOMPARE(focusedName(), QStringLiteral("BitBtn1"));
    keyboard::pressEnter();

    QCOMPARE(p().prompt.texts(), QStringList{"Datos Guardados Correctamente"});
    QCOMPARE(p().prompt.last().caption, Prompt::applicationTitle());
    QVERIFY(!FGMaquina->isVisible());
    QCOMPARE(p().storedRows("maquina"), 1);
    QCOMPARE(ds->asDate("Fecha"), date);
    QCOMPARE(ds->asInteger("Cliente_id"), p().clientId(fixture::BetaName));
    QCOMPARE(ds->text("Marca"), QStringLiteral("CAJAMAX"));
    QCOMPARE(ds->text("Modelo"), QStringLiteral("CX 7100"));
    QCOMPARE(ds->asFloat("Precio"), 1234.5);
    QCOMPARE(ds->text("Anulado"), QStringLiteral("N"));
    for (const char* optional : {"Codigo", "Serie", "Emision", "Anio", "Anticipo"})
        QVERIFY2(ds->isNull(optional), optional);
}

void TestEntryDialogs::machineDateRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("31 February") << "31022024"
                                 << "'31/02/2024' no es una fecha válida para Fecha.";
    QTest::newRow("month 13, day 0") << "00132024"
                                     << "'00/13/2024' no es una fecha válida para Fecha.";
    QTest::newRow("year unfinished") << "0503202"
                                     << "La fecha '05/03/202' está incompleta: se escribe día/mes/año, con el año de "
                                        "cuatro cifras.";
}

void TestEntryDialogs::machineDateRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    store::Dataset* ds = p().m().TMaquinas;
    ds->insert();
    fixture::Period::showActive(*FGMaquina);
    typeAndTab(typed);
    QCOMPARE(p().prompt.texts(), QStringList{message});
    QCOMPARE(p().prompt.last().icon, PromptIcon::Error);
    QTRY_COMPARE(focusedName(), QStringLiteral("DBEdit1"));
    QVERIFY(ds->isNull("Fecha"));

    // "Aceptar" meets the same refusal and saves nothing.
    p().prompt.clear();
    FGMaquina->findChild<QPushButton*>("BitBtn1")->click();
    QCOMPARE(p().prompt.texts(), QStringList{message});
    QCOMPARE(ds->state(), DatasetState::Insert);
    QCOMPARE(p().storedRows("maquina"), 0);
    QVERIFY(FGMaquina->isVisible());
}

void TestEntryDialogs::typedNumber_data()
{
    QTest::addColumn<bool>("machine");  // the price of a machine row, else the first form number
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored");  // -1: refused
    QTest::newRow("price with thousands") << true << "1.234,56" << 1234.56;
    QTest::newRow("price as the grid shows it") << true << "185.400,50" << 185400.5;
    QTest::newRow("price of a thousand") << true << "1.000" << 1000.0;
    QTest::newRow("price, three decimals") << true << "1,234" << -1.0;
    QTest::newRow("price, point as decimal mark") << true << "1.23" << -1.0;
    QTest::newRow("price, two commas") << true << "1,2,3" << -1.0;
    QTest::newRow("price with letters") << true << "12a" << -1.0;
    QTest::newRow("form number with a point") << false << "10.6" << -1.0;
    QTest::newRow("form number in thousands") << false << "10.600" << 10600.0;
    QTest::newRow("negative form number") << false << "-5" << -1.0;
}

void TestEntryDialogs::typedNumber()
{
    QFETCH(bool, machine);
    QFETCH(QString, typed);
    QFETCH(double, stored);
    store::Dataset* ds = machine ? p().m().TMaquinas : p().m().TDetalles;
    QDialog* dialog = machine ? static_cast<QDialog*>(FGMaquina) : FCDetalles;
    const QString table = machine ? QStringLiteral("maquina") : QStringLiteral("detalle");
    const QString field = machine ? QStringLiteral("Precio") : QStringLiteral("NDesde");
    const QString label = machine ? QStringLiteral("Precio") : QStringLiteral("Numero Desde");
    const QString box = machine ? QStringLiteral("DBEdit6") : QStringLiteral("DBEdit2");
    ds->insert();
    fixture::Period::showActive(*dialog);
    const QStringList before = machine ? QStringList{"05032024", "be", "", "cajamax", "cx 7100", ""}
                                       : QStringList{"05032024", "alfa", "", "Facturas A"};
    for (const QString& v : before)
        typeAndTab(v);
    QCOMPARE(focusedName(), box);
    typeAndTab(typed);

    if (stored < 0) {
        // Refused at once, in Spanish, naming the field as the window does; the user stays in the box.
        QCOMPARE(p().prompt.texts().size(), 1);
        QCOMPARE(p().prompt.last().icon, PromptIcon::Error);
        QVERIFY2(p().prompt.last().text.contains(label), qPrintable(p().prompt.last().text));
        QVERIFY2(label == field || !p().prompt.last().text.contains(field), qPrintable(p().prompt.last().text));
        QTRY_COMPARE(focusedName(), box);
        QVERIFY(ds->isNull(field));
        QCOMPARE(dialog->findChild<QLineEdit*>(box)->text(), typed);
        // "Aceptar" meets the same refusal and stores nothing.
        p().prompt.clear();
        dialog->findChild<QPushButton*>("BitBtn1")->click();
        QCOMPARE(p().prompt.texts().size(), 1);
        QCOMPARE(p().prompt.last().icon, PromptIcon::Error);
        QCOMPARE(p().storedRows(table), 0);
        QVERIFY(dialog->isVisible());
        return;
    }
    QCOMPARE(p().prompt.texts(), QStringList());
    for (const QString& v : machine ? QStringList{"", ""} : QStringList{typed, ""})
        typeAndTab(v);
    QCOMPARE(focusedName(), QStringLiteral("BitBtn1"));
    keyboard::pressEnter();
    QCOMPARE(p().storedRows(table), 1);
    QCOMPARE(p().storedValue(table, field).toDouble(), stored);
}

void TestEntryDialogs::refusedDetail_data()
{
    QTest::addColumn<int>("at");  // the box of the printed-forms row typed last, by tab order
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("31 February") << 0 << "31022024"
                                 << "'31/02/2024' no es una fecha válida para Fecha: se escribe día/mes/año "
                                    "(31/12/2024).";
    QTest::newRow("29 February 2023") << 0 << "29022023"
                                      << "'29/02/2023' no es una fecha válida para Fecha: se escribe día/mes/año "
                                         "(31/12/2024).";
    QTest::newRow("first number with a fraction")
        << 4 << "1050,7"
        << "Numero Desde admite solo números enteros, sin decimales ('1050,7').";
    QTest::newRow("last number with a fraction")
        << 5 << "1050,7"
        << "Numero Hasta admite solo números enteros, sin decimales ('1050,7').";
    QTest::newRow("last number in thousands with a fraction")
        << 5 << "1.234,56"
        << "Numero Hasta admite solo números enteros, sin decimales ('1.234,56').";
    QTest::newRow("last number below zero") << 5 << "-1"
                                            << "Numero Hasta no admite números negativos ('-1').";
    QTest::newRow("last number with letters")
        << 5 << "12a"
        << "'12a' no es un número válido para Numero Hasta: se escribe solo con cifras, sin decimales (1234).";
}

// Every value refused on the printed-forms dialog is told naming the box as the window labels
// it, keeps the user in the box, and "Aceptar" then stores nothing.
void TestEntryDialogs::refusedDetail()
{
    QFETCH(int, at);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    store::Dataset* ds = p().m().TDetalles;
    ds->insert();
    fixture::Period::showActive(*FCDetalles);
    const QStringList good{"05032024", "alfa", "", "Facturas A", "1001", "1050"};
    for (int i = 0; i < at; ++i)
        typeAndTab(good[i]);
    const QString box = focusedName();
    typeAndTab(typed);
    QCOMPARE(p().prompt.texts(), QStringList{message});
    QCOMPARE(p().prompt.last().icon, PromptIcon::Error);
    QTRY_COMPARE(focusedName(), box);

    p().prompt.clear();
    FCDetalles->findChild<QPushButton*>("BitBtn1")->click();
    QCOMPARE(p().prompt.texts(), QStringList{message});
    QCOMPARE(ds->state(), DatasetState::Insert);
    QCOMPARE(p().storedRows("detalle"), 0);
    QVERIFY(FCDetalles->isVisible());
}

void TestEntryDialogs::dateNormalised_data()
{
    QTest::addColumn<QString>("typed");  // as the masked box gives it, blanks left out
    QTest::addColumn<QString>("value");  // empty with refused: nothing
    QTest::addColumn<bool>("refused");
    QTest::newRow("nothing typed") << "//"
                                   << "" << false;
    QTest::newRow("complete") << "15/03/2024"
                              << "15/03/2024" << false;
    QTest::newRow("one-digit day and month") << "1/2/2024"
                                             << "01/02/2024" << false;
    QTest::newRow("no day") << "/02/2024"
                            << "" << true;
    QTest::newRow("no month") << "01//2024"
                              << "" << true;
    QTest::newRow("short year") << "01/02/24"
                                << "" << true;
}

void TestEntryDialogs::dateNormalised()
{
    QFETCH(QString, typed);
    QFETCH(QString, value);
    QFETCH(bool, refused);
    if (refused)
        QVERIFY_THROWS_EXCEPTION(store::StoreError, DBDateEdit::normalised(typed));
    else
        QCOMPARE(DBDateEdit::normalised(typed), value);
}

QTEST_MAIN(TestEntryDialogs)
#include "tst_entrydialogs.moc"
