// The workbench of the open period: its lists, its buttons and the dialogs they lead to.

#include "DetailFixture.h"
#include "Keyboard.h"
#include "widgets/DBGrid.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTabWidget>

using keyboard::focusedName;
using store::DatasetState;

class TestWorkbench : public QObject {
    Q_OBJECT

    std::unique_ptr<fixture::Period> m_period;
    fixture::Period& p() { return *m_period; }

    static void click(const char* button)
    {
        auto* b = FDetalle->findChild<QAbstractButton*>(button);
        QVERIFY2(b, button);
        b->click();
    }

    static DBGrid* grid(const char* name) { return FDetalle->findChild<DBGrid*>(name); }

    // One printed-forms row, open unless a year is given.
    void addDetail(const QString& client, double desde, double hasta, const QString& anio = {},
                   const QString& anticipo = {})
    {
        store::Dataset* ds = p().m().TVerDetalles;
        ds->insert();
        ds->setText("Fecha", "10/04/2024");
        ds->setValue("Cliente", p().clientId(client));
        ds->setText("Tipo_comprobante", "Facturas B");
        ds->setValue("NDesde", desde);
        ds->setValue("NHasta", hasta);
        ds->setText("Anio", anio);
        ds->setText("Anticipo", anticipo);
        ds->post();
    }

    void addMachine(const QString& client, double price, const QString& anio = {})
    {
        store::Dataset* ds = p().m().TVerMaquinas;
        ds->insert();
        ds->setValue("Fecha", QDate(2024, 4, 10));
        ds->setValue("Cliente_id", p().clientId(client));
        ds->setText("Marca", "REGISTRA");
        ds->setText("Modelo", "RX-441");
        ds->setValue("Precio", price);
        ds->setText("Anio", anio);
        ds->setText("Anticipo", anio.isEmpty() ? QString() : QStringLiteral("04"));
        ds->post();
    }

private slots:
    void init()
    {
        m_period = std::make_unique<fixture::Period>();
        p().prompt.clear();
    }
    void cleanup() { m_period.reset(); }

    void layout();
    void listsShowOpenRowsOnly();
    void deleteAsks_data();
    void deleteAsks();
    void entryButtonsOpenTheirDialog_data();
    void entryButtonsOpenTheirDialog();
    void editRecomputesCount();
    void enterPressesFocusedButton_data();
    void enterPressesFocusedButton();
    void generate_data();
    void generate();
};

void TestWorkbench::layout()
{
    QCOMPARE(FDetalle->windowTitle(), QStringLiteral("Detalle de Presentación"));
    QCOMPARE(FDetalle->size(), QSize(788, 435));
    auto* pages = FDetalle->findChild<QTabWidget*>("PageControl1");
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->tabText(0), QStringLiteral("Detalle de Formularios"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Detalle de Máquinas"));
    QCOMPARE(pages->currentIndex(), 0);

    const QList<std::pair<const char*, const char*>> buttons = {
        {"BitBtn1", "Modificar"}, {"BitBtn2", "Insertar"}, {"BitBtn3", "Borrar"},  {"BitBtn6", "Modificar"},
        {"BitBtn7", "Insertar"},  {"BitBtn8", "Borrar"},   {"BitBtn4", "Generar"}, {"BitBtn5", "Salir"}};
    for (const auto& [name, caption] : buttons) {
        auto* b = FDetalle->findChild<QAbstractButton*>(name);
        QVERIFY2(b, name);
        QCOMPARE(b->text(), QString::fromUtf8(caption));
    }

    struct Column {
        QString title;
        int width;  // 0: the field's own
    };
    const QList<std::pair<const char*, QList<Column>>> grids = {
        {"DBGrid1",
         {{"Fecha", 0},
          {"Razon Social", 92},
          {"Cuit", 0},
          {"Tipo de Comprobante", 169},
          {"N° Desde", 0},
          {"N° Hasta", 0}}},
        {"DBGrid2",
         {{"Fecha", 70}, {"RazonSocial", 126}, {"Cuit", 83}, {"Marca", 117}, {"Modelo", 116}, {"Precio", 0}}},
    };
    for (const auto& [name, columns] : grids) {
        DBGrid* g = grid(name);
        QCOMPARE(g->model()->columnCount(), columns.size());
        QVERIFY(g->editTriggers() == QAbstractItemView::NoEditTriggers);
        for (int c = 0; c < columns.size(); ++c) {
            QCOMPARE(g->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), columns[c].title);
            // Dates and C.U.I.T.s get wider only where the font would cut them.
            if (columns[c].width > 0 && columns[c].title != "Fecha" && columns[c].title != "Cuit")
                QCOMPARE(g->columnWidth(c), columns[c].width);
            else
                QVERIFY(g->columnWidth(c) >= columns[c].width);
        }
    }
}

void TestWorkbench::listsShowOpenRowsOnly()
{
    QAbstractItemModelTester forms(grid("DBGrid1")->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester machines(grid("DBGrid2")->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    addDetail(fixture::AlfaName, 1, 50);
    addDetail(fixture::BetaName, 51, 100, "2024", "03");      // filed
    addDetail(fixture::BetaName, 101, 150, QString(), "03");  // no year: still open
    addMachine(fixture::BetaName, 1234567.5);
    addMachine(fixture::AlfaName, 99, "2024");  // filed

    // A grid reads its rows while it is shown: the workbench, one page at a time.
    auto* pages = FDetalle->findChild<QTabWidget*>("PageControl1");
    QAbstractItemModel* g1 = grid("DBGrid1")->model();
    QAbstractItemModel* g2 = grid("DBGrid2")->model();
    QCOMPARE(g1->rowCount(), 0);
    fixture::Period::showActive(*FDetalle);
    pages->setCurrentIndex(0);
    QCOMPARE(g1->rowCount(), 2);
    QCOMPARE(g1->index(0, 1).data().toString(), fixture::AlfaName);
    QCOMPARE(g1->index(0, 2).data().toString(), fixture::alfaCuit());
    QCOMPARE(g1->index(1, 4).data().toString(), QStringLiteral("101"));
    pages->setCurrentIndex(1);
    QCOMPARE(g2->rowCount(), 1);
    QCOMPARE(g2->index(0, 0).data().toString(), QStringLiteral("10/04/2024"));
    QCOMPARE(g2->index(0, 1).data().toString(), fixture::BetaName);
    QCOMPARE(g2->index(0, 5).data().toString(), QStringLiteral("1.234.567,50"));

    // Filing the period takes the open rows out of the list shown at once, and out of the other
    // when it is shown again.
    for (store::Query* q : {p().m().QMod, p().m().QAntM}) {
        q->close();
        q->setParam(0, "2024");
        q->setParam(1, "05");
        q->execSql();
    }
    QCOMPARE(g2->rowCount(), 0);
    pages->setCurrentIndex(0);
    QCOMPARE(g1->rowCount(), 1);  // the row with an advance but no year stays open
}

void TestWorkbench::deleteAsks_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("machines");
    QTest::addColumn<int>("rows");
    QTest::addColumn<PromptButton>("answer");
    QTest::addColumn<int>("left");
    QTest::newRow("printed forms, No") << "BitBtn3" << false << 2 << PromptButton::No << 2;
    QTest::newRow("printed forms, Yes") << "BitBtn3" << false << 2 << PromptButton::Yes << 1;
    QTest::newRow("printed forms, empty list") << "BitBtn3" << false << 0 << PromptButton::None << 0;
    QTest::newRow("machines, No") << "BitBtn8" << true << 1 << PromptButton::No << 1;
    QTest::newRow("machines, Yes") << "BitBtn8" << true << 1 << PromptButton::Yes << 0;
    QTest::newRow("machines, empty list") << "BitBtn8" << true << 0 << PromptButton::None << 0;
}

void TestWorkbench::deleteAsks()
{
    QFETCH(QString, button);
    QFETCH(bool, machines);
    QFETCH(int, rows);
    QFETCH(PromptButton, answer);
    QFETCH(int, left);
    for (int i = 0; i < rows; ++i) {
        if (machines)
            addMachine(fixture::AlfaName, 10 + i);
        else
            addDetail(fixture::AlfaName, 10 * i + 1, 10 * i + 10);
    }
    store::Dataset* ds = machines ? p().m().TMaquinas : p().m().TDetalles;
    ds->last();
    const QString doomed = ds->text(machines ? "Precio" : "NDesde");
    if (answer != PromptButton::None)
        p().prompt.answer(answer);
    click(qPrintable(button));

    if (rows == 0) {
        QVERIFY(p().prompt.shown().isEmpty());
    } else {
        QCOMPARE(p().prompt.texts(), QStringList{"Desea Eliminar el Detalle"});
        QCOMPARE(p().prompt.last().caption, QStringLiteral("Imprentas"));
        QCOMPARE(p().prompt.last().buttons, PromptButtons::YesNo);
        QCOMPARE(p().prompt.last().icon, PromptIcon::None);
    }
    QCOMPARE(ds->recordCount(), left);
    QCOMPARE(p().storedRows(machines ? "maquina" : "detalle"), left);
    bool found = false;
    for (int r = 0; r < ds->recordCount(); ++r)
        found = found || ds->textAt(r, machines ? "Precio" : "NDesde") == doomed;
    QCOMPARE(found, rows > 0 && answer == PromptButton::No);
}

void TestWorkbench::entryButtonsOpenTheirDialog_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("machines");
    QTest::addColumn<bool>("withRow");
    QTest::addColumn<DatasetState>("state");
    QTest::newRow("Modificar") << "BitBtn1" << false << true << DatasetState::Edit;
    QTest::newRow("Modificar, empty list") << "BitBtn1" << false << false << DatasetState::Insert;
    QTest::newRow("Insertar") << "BitBtn2" << false << true << DatasetState::Insert;
    QTest::newRow("double click") << "DBGrid1" << false << true << DatasetState::Edit;
    QTest::newRow("machines, Modificar") << "BitBtn6" << true << true << DatasetState::Edit;
    QTest::newRow("machines, Modificar, empty list") << "BitBtn6" << true << false << DatasetState::Insert;
    QTest::newRow("machines, Insertar") << "BitBtn7" << true << true << DatasetState::Insert;
    QTest::newRow("machines, double click") << "DBGrid2" << true << true << DatasetState::Edit;
}

void TestWorkbench::entryButtonsOpenTheirDialog()
{
    QFETCH(QString, button);
    QFETCH(bool, machines);
    QFETCH(bool, withRow);
    QFETCH(DatasetState, state);
    if (withRow) {
        if (machines)
            addMachine(fixture::BetaName, 500);
        else
            addDetail(fixture::BetaName, 1, 5);
    }
    store::Dataset* ds = machines ? p().m().TMaquinas : p().m().TDetalles;
    DatasetState seen = DatasetState::Inactive;
    p().whileShown = [&](QDialog& d) {
        seen = ds->state();
        // The dialog shows the row it was opened on.
        QCOMPARE(d.findChild<QComboBox*>("DBLookupComboBox1")->currentText(),
                 state == DatasetState::Edit ? fixture::BetaName : QString());
        d.findChild<QAbstractButton*>("BitBtn2")->click();  // Cancelar
    };
    fixture::Period::showActive(*FDetalle);
    if (button.startsWith(QLatin1String("DBGrid"))) {
        QWidget* viewport = grid(qPrintable(button))->viewport();
        const QPoint cell =
            grid(qPrintable(button))->visualRect(grid(qPrintable(button))->model()->index(0, 1)).center();
        QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, cell);
    } else {
        click(qPrintable(button));
    }
    QCOMPARE(p().shown, QStringList{machines ? "FGMaquina" : "FCDetalles"});
    QCOMPARE(seen, state);
    QCOMPARE(ds->state(), DatasetState::Browse);
    QCOMPARE(ds->recordCount(), withRow ? 1 : 0);
}

void TestWorkbench::editRecomputesCount()
{
    // A row whose count and flag went wrong elsewhere.
    addDetail(fixture::AlfaName, 1001, 1010);
    store::Dataset* ds = p().m().TDetalles;
    ds->edit();
    ds->setValue("CanTalonarios", 999.0);
    ds->setText("Anulado", "S");
    ds->post();

    p().whileShown = [&](QDialog& d) {
        auto* hasta = d.findChild<QLineEdit*>("DBEdit3");
        hasta->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(hasta, "1050");
        QTest::keyClick(hasta, Qt::Key_Return);
        keyboard::press(Qt::Key_Return);
        QTRY_COMPARE(focusedName(), QStringLiteral("BitBtn1"));
        keyboard::press(Qt::Key_Return);
    };
    fixture::Period::showActive(*FDetalle);
    click("BitBtn1");
    QCOMPARE(p().prompt.texts(), QStringList{"Los Datos se Guardaron Correctamente"});
    QCOMPARE(ds->recordCount(), 1);
    QCOMPARE(ds->asFloat("NHasta"), 1050.0);
    QCOMPARE(ds->asFloat("CanTalonarios"), 50.0);
    QCOMPARE(ds->text("Anulado"), QStringLiteral("N"));
    QCOMPARE(grid("DBGrid1")->model()->index(0, 5).data().toString(), QStringLiteral("1050"));
}

void TestWorkbench::enterPressesFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("action");  // the dialog shown, "question" or "closed"
    const struct {
        const char* button;
        const char* action;
    } buttons[] = {{"BitBtn1", "FCDetalles"},      {"BitBtn2", "FCDetalles"}, {"BitBtn3", "question"},
                   {"BitBtn6", "FGMaquina"},       {"BitBtn7", "FGMaquina"},  {"BitBtn8", "question"},
                   {"BitBtn4", "FPresentaciones"}, {"BitBtn5", "closed"}};
    for (const auto& b : buttons) {
        QTest::addRow("%s, Enter", b.button) << b.button << int(Qt::Key_Return) << b.action;
        QTest::addRow("%s, keypad Enter", b.button) << b.button << int(Qt::Key_Enter) << b.action;
    }
}

void TestWorkbench::enterPressesFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, action);
    addDetail(fixture::AlfaName, 1, 5);
    addMachine(fixture::AlfaName, 500);
    if (action == QLatin1String("question"))
        p().prompt.answer(PromptButton::No);
    p().whileShown = [](QDialog& d) { d.findChild<QAbstractButton*>("BitBtn2")->click(); };  // Cancelar, Salir
    fixture::Period::showActive(*FDetalle);
    auto* target = FDetalle->findChild<QAbstractButton*>(button);
    if (!target->isVisibleTo(FDetalle))
        FDetalle->findChild<QTabWidget*>()->setCurrentIndex(1);
    target->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(target->hasFocus());

    QTest::keyClick(target, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    if (action == QLatin1String("question")) {
        QCOMPARE(p().prompt.texts(), QStringList{"Desea Eliminar el Detalle"});
        QVERIFY(p().shown.isEmpty());
    } else if (action == QLatin1String("closed")) {
        QVERIFY(!FDetalle->isVisible());
    } else {
        QCOMPARE(p().shown, QStringList{action});
        QVERIFY(FDetalle->isVisible());
    }
    QCOMPARE(p().m().TDetalles->recordCount(), 1);
    QCOMPARE(p().m().TMaquinas->recordCount(), 1);
}

void TestWorkbench::generate_data()
{
    QTest::addColumn<bool>("agent");
    QTest::newRow("no agent") << false;
    QTest::newRow("agent") << true;
}

void TestWorkbench::generate()
{
    QFETCH(bool, agent);
    if (!agent)
        p().m().TImprentas->remove();
    DatasetState during = DatasetState::Inactive;
    p().whileShown = [&](QDialog&) { during = p().m().TAnticipos->state(); };
    click("BitBtn4");
    if (!agent) {
        QCOMPARE(p().prompt.texts(), QStringList{"Cargue los datos de la Imprenta"});
        QVERIFY(p().shown.isEmpty());
    } else {
        QVERIFY(p().prompt.shown().isEmpty());
        QCOMPARE(p().shown, QStringList{"FPresentaciones"});
        QCOMPARE(during, DatasetState::Insert);
    }
    // A period row the generate form did not save is not left pending.
    QCOMPARE(p().m().TAnticipos->state(), DatasetState::Browse);
    QCOMPARE(p().storedRows("anticipos"), 0);
}

QTEST_MAIN(TestWorkbench)
#include "tst_workbench.moc"
