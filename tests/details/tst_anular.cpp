// The dialogs that void and add rows of a filed period under amendment, opened the way the
// amendment window opens them: the view filtered to the period, the period row current, the
// row in edit or insert, the mode set, then shown modally.

#include "DetailFixture.h"
#include "Keyboard.h"
#include "details/windows/URecMaquinas.h"
#include "details/windows/Uanular.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using keyboard::focusedName;
using store::DatasetState;

namespace {

const QString Year = QStringLiteral("2024");
const QString Filed = QStringLiteral("03");  // the period under amendment
const QString Other = QStringLiteral("02");  // another filed period, never touched

QStringList formsOrder()
{
    return {"DBEdit1", "DBComboBox1", "DBLookupComboBox1", "DBLookupComboBox2", "DBComboBox2", "DBEdit2", "DBEdit4",
            "DBEdit5", "BitBtn1"};
}

QStringList machinesOrder()
{
    return {"DBEdit1", "DBComboBox1", "DBLookupComboBox1", "DBLookupComboBox2", "DBEdit3", "DBEdit5",
            "DBEdit2", "DBEdit6",     "DBEdit4",           "DBEdit7",           "BitBtn1"};
}

using keyboard::pressEnter;

}  // namespace

class TestAnular : public QObject {
    Q_OBJECT

    std::unique_ptr<fixture::Period> m_period;
    qint64 m_formRow = -1;     // a printed-forms row of the period under amendment
    qint64 m_machineRow = -1;  // a cash-register row of it, its flag empty

    fixture::Period& p() { return *m_period; }
    TDModulo& m() { return p().m(); }

    static bool forms(const QString& dialog) { return dialog == QLatin1String("FAnular"); }
    static QDialog* dialogNamed(const QString& dialog)
    {
        return forms(dialog) ? static_cast<QDialog*>(FAnular) : static_cast<QDialog*>(FAnulaMaquina);
    }
    store::Dataset* viewOf(const QString& dialog) { return forms(dialog) ? m().TVerDetalles : m().TVerMaquinas; }
    static QString tableOf(const QString& dialog) { return forms(dialog) ? "detalle" : "maquina"; }

    void addPeriod(const QString& anticipo, double rectificativa, const QVariant& recPre)
    {
        m().TAnticipos->insert();
        m().TAnticipos->setText("Anio", Year);
        m().TAnticipos->setText("Anticipo", anticipo);
        m().TAnticipos->setValue("Rectificativa", rectificativa);
        m().TAnticipos->setValue("Rec_pre", recPre);
        m().TAnticipos->post();
    }

    void setPeriod(double rectificativa, const QVariant& recPre)
    {
        store::Database& db = m().Session1_1->database();
        store::Statement stmt(db, QStringLiteral("UPDATE %1 SET Rectificativa = ?, Rec_pre = ? WHERE Anticipo = ?")
                                      .arg(db.qualifiedTable("anticipos")));
        stmt.bind(1, rectificativa);
        stmt.bind(2, recPre);
        stmt.bind(3, Filed);
        stmt.step();
        db.noteChanged("anticipos");
    }

    qint64 addForms(const QString& client, const QString& anticipo)
    {
        store::Dataset* ds = m().TVerDetalles;  // not filtered yet: it shows the row it posted
        ds->insert();
        ds->setText("Fecha", "10/03/2024");
        ds->setValue("Cliente", p().clientId(client));
        ds->setText("Tipo_comprobante", "Facturas B");
        ds->setValue("NDesde", 1001);
        ds->setValue("NHasta", 1050);
        ds->setValue("CanTalonarios", 3);  // stale on purpose: the dialog works it out again
        ds->setText("Anulado", "N");
        ds->setText("Punto_Venta", "0002");
        ds->setText("Anio", anticipo.isEmpty() ? QString() : Year);
        ds->setText("Anticipo", anticipo);
        ds->post();
        return ds->asInteger("Detalle_id");
    }

    qint64 addMachine(const QString& client, const QString& anticipo)
    {
        store::Dataset* ds = m().TVerMaquinas;
        ds->insert();
        ds->setValue("Fecha", QDate(2024, 3, 12));
        ds->setValue("Cliente_id", p().clientId(client));
        ds->setText("Marca", "REGISTRA");
        ds->setText("Modelo", "RX-441");
        ds->setValue("Precio", 1850.5);
        ds->setText("Codigo", "AB-1");
        ds->setText("Anio", anticipo.isEmpty() ? QString() : Year);
        ds->setText("Anticipo", anticipo);
        ds->post();
        return ds->asInteger("Detalle_id");
    }

    // What the amendment window does before it opens a dialog.
    void openPeriod()
    {
        const QString filter = QStringLiteral("anio='%1' and Anticipo='%2'").arg(Year, Filed);
        for (store::Dataset* ds : {m().TVerDetalles, m().TVerMaquinas}) {
            ds->setFiltered(false);
            ds->setFilter(filter);
            ds->setFiltered(true);
        }
        QVERIFY(m().TAnticipos->findKey({Year, Filed}));
    }

    // Opens a dialog in a mode on the row given (void) or on a new row (add), with the user's
    // doings while it is up; answers the dialog's result.
    int open(const QString& dialog, RowMode mode, qint64 row, std::function<void(QDialog&)> doings)
    {
        store::Dataset* ds = viewOf(dialog);
        if (mode == RowMode::Void) {
            ds->first();
            while (!ds->eof() && ds->asInteger("Detalle_id") != row)
                ds->next();
            if (!QTest::qVerify(!ds->eof(), "row listed", "the row is not in the period", __FILE__, __LINE__))
                return -1;
            ds->edit();
            if (forms(dialog))
                FAnular->setMode(mode);
            else
                FAnulaMaquina->setMode(mode);
        } else {
            ds->insert();
            // The dialog may have been opened to void a row just before.
            if (forms(dialog)) {
                FAnular->setMode(RowMode::Void);
                FAnular->setMode(mode);
            } else {
                FAnulaMaquina->setMode(RowMode::Void);
                FAnulaMaquina->setMode(mode);
            }
        }
        p().whileShown = std::move(doings);
        const int result = showModal(*dialogNamed(dialog));
        p().whileShown = {};
        return result;
    }

    // One field of a row as stored.
    QVariant stored(const QString& table, qint64 row, const QString& field)
    {
        store::Database& db = m().Session1_1->database();
        store::Statement stmt(
            db, QStringLiteral("SELECT %1 FROM %2 WHERE Detalle_id = ?").arg(field, db.qualifiedTable(table)));
        stmt.bind(1, row);
        return stmt.step() ? stmt.column(0) : QVariant();
    }

    QVariant storedPeriod(const QString& anticipo, const QString& field)
    {
        store::Database& db = m().Session1_1->database();
        store::Statement stmt(db, QStringLiteral("SELECT %1 FROM %2 WHERE Anio = ? AND Anticipo = ?")
                                      .arg(field, db.qualifiedTable("anticipos")));
        stmt.bind(1, Year);
        stmt.bind(2, anticipo);
        return stmt.step() ? stmt.column(0) : QVariant();
    }

    int storedCount(const QString& table, const QString& where)
    {
        store::Database& db = m().Session1_1->database();
        store::Statement stmt(db,
                              QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(db.qualifiedTable(table), where));
        stmt.step();
        return stmt.column(0).toInt();
    }

private slots:
    void init()
    {
        m_period = std::make_unique<fixture::Period>();
        FAnular = new TFAnular;
        FAnulaMaquina = new TFAnulaMaquina;
        addPeriod(Other, 0, QVariant());
        addPeriod(Filed, 0, QVariant());
        addForms(fixture::BetaName, Other);
        addForms(fixture::BetaName, {});  // an open row, waiting for the next filing
        m_formRow = addForms(fixture::AlfaName, Filed);
        addForms(fixture::BetaName, Filed);
        m_machineRow = addMachine(fixture::AlfaName, Filed);
        addMachine(fixture::BetaName, {});
        m().TAnticipos->first();  // the other period: the amendment window moves to its own
        openPeriod();
        p().prompt.clear();
    }

    void cleanup()
    {
        delete FAnulaMaquina;
        FAnulaMaquina = nullptr;
        delete FAnular;
        FAnular = nullptr;
        m_period.reset();
    }

    void voidTypedThrough_data();
    void voidTypedThrough();
    void counterRule_data();
    void counterRule();
    void addTypedThrough_data();
    void addTypedThrough();
    void cancelLeavesAll_data();
    void cancelLeavesAll();
    void missingValues_data();
    void missingValues();
    void refusedValue_data();
    void refusedValue();
    void failedPostKeepsCounter();
    void noPeriodRow();
};

void TestAnular::voidTypedThrough_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("printed forms") << "FAnular" << formsOrder();
    QTest::newRow("machines") << "FAnulaMaquina" << machinesOrder();
}

void TestAnular::voidTypedThrough()
{
    QFETCH(QString, dialog);
    QFETCH(QStringList, order);
    const bool isForms = forms(dialog);
    const qint64 row = isForms ? m_formRow : m_machineRow;
    const QString table = tableOf(dialog);
    const QStringList fields =
        isForms ? QStringList{"Fecha", "Cliente", "Tipo_comprobante", "NDesde", "NHasta", "Punto_Venta"}
                : QStringList{"Fecha", "Cliente_id", "Marca", "Modelo", "Precio"};
    QVariantList before;
    for (const QString& f : fields)
        before << stored(table, row, f);

    const int result = open(dialog, RowMode::Void, row, [&](QDialog&) {
        // Every control in turn: a letter for the flag, a digit and the arrow down elsewhere;
        // only the flag and, for a machine, code, serial number and emission point take them.
        for (const QString& control : order.mid(0, order.size() - 1)) {
            QTRY_COMPARE(focusedName(), control);
            if (control == QLatin1String("DBComboBox1")) {
                keyboard::type("x");  // not a flag: refused
                keyboard::type("s");
            } else {
                keyboard::type("9");
                keyboard::press(Qt::Key_Down);
            }
            pressEnter();
        }
        QCOMPARE(focusedName(), order.last());
        pressEnter();
    });

    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(p().prompt.shown().isEmpty());
    QCOMPARE(viewOf(dialog)->state(), DatasetState::Browse);
    QCOMPARE(stored(table, row, "Anulado").toString(), QStringLiteral("S"));
    QCOMPARE(stored(table, row, "Anio").toString(), Year);
    QCOMPARE(stored(table, row, "Anticipo").toString(), Filed);
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(stored(table, row, fields[i]), before[i]);
    if (isForms)
        QCOMPARE(stored(table, row, "CanTalonarios").toDouble(), 50.0);
    else
        for (const char* field : {"Codigo", "Serie", "Emision"})
            QCOMPARE(stored(table, row, field).toString(), QStringLiteral("9"));
    QCOMPARE(storedPeriod(Filed, "Rectificativa").toDouble(), 1.0);
    QVERIFY(storedPeriod(Filed, "Rec_pre").isNull());
}

void TestAnular::counterRule_data()
{
    QTest::addColumn<double>("rectificativa");
    QTest::addColumn<QVariant>("recPre");
    QTest::addColumn<QStringList>("voids");  // dialogs accepted one after the other
    QTest::addColumn<QString>("flag");       // typed into each; empty: accepted without a change
    QTest::addColumn<double>("expected");
    QTest::newRow("never amended") << 0.0 << QVariant() << QStringList{"FAnular"} << "S" << 1.0;
    QTest::newRow("accepted without a change") << 0.0 << QVariant() << QStringList{"FAnulaMaquina"} << "" << 1.0;
    QTest::newRow("two voids after a generated amendment")
        << 2.0 << QVariant(2.0) << QStringList{"FAnular", "FAnulaMaquina"} << "S" << 3.0;
    QTest::newRow("amendment already in preparation") << 2.0 << QVariant(1.0) << QStringList{"FAnular"} << "S" << 2.0;
}

void TestAnular::counterRule()
{
    QFETCH(double, rectificativa);
    QFETCH(QVariant, recPre);
    QFETCH(QStringList, voids);
    QFETCH(QString, flag);
    QFETCH(double, expected);
    setPeriod(rectificativa, recPre);
    for (const QString& dialog : voids) {
        const int result = open(dialog, RowMode::Void, forms(dialog) ? m_formRow : m_machineRow, [&](QDialog& d) {
            auto* box = d.findChild<QComboBox*>("DBComboBox1");
            box->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(box, flag);
            d.findChild<QPushButton*>("BitBtn1")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
    }
    QCOMPARE(storedPeriod(Filed, "Rectificativa").toDouble(), expected);
    if (recPre.isNull())
        QVERIFY(storedPeriod(Filed, "Rec_pre").isNull());
    else
        QCOMPARE(storedPeriod(Filed, "Rec_pre").toDouble(), recPre.toDouble());
    QCOMPARE(storedPeriod(Other, "Rectificativa").toDouble(), 0.0);
    QVERIFY(p().prompt.shown().isEmpty());
}

void TestAnular::addTypedThrough_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QVariant>("storedFlag");
    QTest::newRow("printed forms, flag left empty") << "FAnular"
                                                    << "" << QVariant("N");
    QTest::newRow("printed forms, added voided") << "FAnular"
                                                 << "s" << QVariant("S");
    QTest::newRow("machines, flag left empty") << "FAnulaMaquina"
                                               << "" << QVariant();
    QTest::newRow("machines, flag given") << "FAnulaMaquina"
                                          << "N" << QVariant("N");
}

void TestAnular::addTypedThrough()
{
    QFETCH(QString, dialog);
    QFETCH(QString, flag);
    QFETCH(QVariant, storedFlag);
    const bool isForms = forms(dialog);
    const QString table = tableOf(dialog);
    store::Dataset* view = viewOf(dialog);
    const int periodRows = view->recordCount();
    const int openRows = (isForms ? m().TDetalles : m().TMaquinas)->recordCount();
    const QStringList order = isForms ? formsOrder() : machinesOrder();
    const QStringList typed =
        isForms ? QStringList{"07032024", flag, "alfa", "", "Remitos R", "201", "250", "0004"}
                : QStringList{"7/3/2024", flag, "be", "", "cajamax", "cx 7100", "ab12", "999,9", "S-77", "0005"};

    const int result = open(dialog, RowMode::Add, -1, [&](QDialog&) {
        for (int i = 0; i < typed.size(); ++i) {
            QTRY_COMPARE(focusedName(), order[i]);
            if (!typed[i].isEmpty())
                keyboard::type(typed[i]);
            pressEnter();
        }
        QCOMPARE(focusedName(), order.last());
        pressEnter();
    });

    QCOMPARE(p().prompt.texts(), QStringList{});
    QCOMPARE(result, int(QDialog::Accepted));
    // The new row is a row of the period at once, listed with it and never among the open rows.
    QCOMPARE(view->state(), DatasetState::Browse);
    QCOMPARE(view->recordCount(), periodRows + 1);
    QCOMPARE((isForms ? m().TDetalles : m().TMaquinas)->recordCount(), openRows);
    const qint64 row = view->asInteger("Detalle_id");
    QCOMPARE(stored(table, row, "Anio").toString(), Year);
    QCOMPARE(stored(table, row, "Anticipo").toString(), Filed);
    QCOMPARE(stored(table, row, "Anulado"), storedFlag);
    if (isForms) {
        QCOMPARE(stored(table, row, "Fecha").toString(), QStringLiteral("07/03/2024"));
        QCOMPARE(stored(table, row, "Cliente").toInt(), p().clientId(fixture::AlfaName));
        QCOMPARE(stored(table, row, "Tipo_comprobante").toString(), QStringLiteral("Remitos R"));
        QCOMPARE(stored(table, row, "CanTalonarios").toDouble(), 50.0);
        QCOMPARE(stored(table, row, "Punto_Venta").toString(), QStringLiteral("0004"));
    } else {
        QCOMPARE(stored(table, row, "Fecha").toString(), QStringLiteral("2024-03-07"));
        QCOMPARE(stored(table, row, "Cliente_id").toInt(), p().clientId(fixture::BetaName));
        QCOMPARE(stored(table, row, "Marca").toString(), QStringLiteral("CAJAMAX"));
        QCOMPARE(stored(table, row, "Modelo").toString(), QStringLiteral("CX 7100"));
        QCOMPARE(stored(table, row, "Codigo").toString(), QStringLiteral("AB12"));
        QCOMPARE(stored(table, row, "Precio").toDouble(), 999.9);
        QCOMPARE(stored(table, row, "Serie").toString(), QStringLiteral("S-77"));
        QCOMPARE(stored(table, row, "Emision").toString(), QStringLiteral("0005"));
    }
    QCOMPARE(storedPeriod(Filed, "Rectificativa").toDouble(), 1.0);
}

void TestAnular::cancelLeavesAll_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("titleBar");  // else "Cancelar"
    QTest::newRow("printed forms, Cancelar") << "FAnular" << false;
    QTest::newRow("printed forms, title bar") << "FAnular" << true;
    QTest::newRow("machines, Cancelar") << "FAnulaMaquina" << false;
    QTest::newRow("machines, title bar") << "FAnulaMaquina" << true;
}

void TestAnular::cancelLeavesAll()
{
    QFETCH(QString, dialog);
    QFETCH(bool, titleBar);
    const qint64 row = forms(dialog) ? m_formRow : m_machineRow;
    const QString table = tableOf(dialog);
    const QVariant flagBefore = stored(table, row, "Anulado");
    const int result = open(dialog, RowMode::Void, row, [&](QDialog& d) {
        auto* box = d.findChild<QComboBox*>("DBComboBox1");
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(box, "S");
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(viewOf(dialog)->text("Anulado"), QStringLiteral("S"));
        if (titleBar)
            d.close();
        else
            d.findChild<QPushButton*>("BitBtn2")->click();
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(viewOf(dialog)->state(), DatasetState::Browse);
    QCOMPARE(viewOf(dialog)->text("Anulado"), flagBefore.toString());
    QCOMPARE(stored(table, row, "Anulado"), flagBefore);
    QCOMPARE(storedPeriod(Filed, "Rectificativa").toDouble(), 0.0);
    QVERIFY(p().prompt.shown().isEmpty());
}

void TestAnular::missingValues_data()
{
    const QString Missing = QStringLiteral("Faltan Datos Obligatorios");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("typed");  // in tab order, up to "Aceptar"
    QTest::addColumn<QString>("reported");   // where the notice sends the user back to
    QTest::addColumn<QString>("notice");
    QTest::newRow("printed forms, Fecha")
        << "FAnular" << QStringList{"", "", "alfa", "", "Facturas A", "1", "2", ""} << "DBEdit1" << Missing;
    QTest::newRow("printed forms, client without a C.U.I.T.")
        << "FAnular" << QStringList{"01032024", "", "gamma", "", "Facturas A", "1", "2", ""} << "DBLookupComboBox2"
        << Missing;
    QTest::newRow("printed forms, Número Hasta")
        << "FAnular" << QStringList{"01032024", "", "alfa", "", "Facturas A", "1", "", "0001"} << "DBEdit4" << Missing;
    QTest::newRow("machines, client without a name")
        << "FAnulaMaquina" << QStringList{"01032024", "", "", fixture::namelessCuit(), "a", "b", "", "", "", ""}
        << "DBLookupComboBox1" << Missing;
    QTest::newRow("machines, Precio") << "FAnulaMaquina"
                                      << QStringList{"01032024", "", "alfa", "", "a", "b", "c", "", "d", "e"}
                                      << "DBEdit6" << Missing;
    QTest::newRow("printed forms, Número Desde past Número Hasta")
        << "FAnular" << QStringList{"01032024", "", "alfa", "", "Facturas A", "20", "10", "0001"} << "DBEdit2"
        << QStringLiteral("El Número Desde No Puede Ser Mayor al Número Hasta");
}

void TestAnular::missingValues()
{
    QFETCH(QString, dialog);
    QFETCH(QStringList, typed);
    QFETCH(QString, reported);
    QFETCH(QString, notice);
    const QString table = tableOf(dialog);
    const int rows = p().storedRows(table);
    bool stillOpen = false;
    open(dialog, RowMode::Add, -1, [&](QDialog& d) {
        for (const QString& t : typed) {
            if (!t.isEmpty())
                keyboard::type(t);
            pressEnter();
        }
        QCOMPARE(focusedName(), QStringLiteral("BitBtn1"));
        pressEnter();
        stillOpen = d.isVisible();
        QTRY_COMPARE(focusedName(), reported);
    });
    QCOMPARE(p().prompt.texts(), QStringList{notice});
    QCOMPARE(p().prompt.last().caption, Prompt::applicationTitle());
    QVERIFY(stillOpen);
    QCOMPARE(viewOf(dialog)->state(), DatasetState::Insert);
    QCOMPARE(p().storedRows(table), rows);
    QCOMPARE(storedPeriod(Filed, "Rectificativa").toDouble(), 0.0);
}

void TestAnular::refusedValue_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("at");  // the box typed last, by tab order
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("printed forms, 31 February")
        << "FAnular" << 0 << "31022024"
        << "'31/02/2024' no es una fecha válida para Fecha: se escribe día/mes/año (31/12/2024).";
    QTest::newRow("printed forms, Número Desde below zero") << "FAnular" << 5 << "-3"
                                                            << "Número Desde no admite números negativos ('-3').";
    QTest::newRow("printed forms, Número Hasta with a fraction")
        << "FAnular" << 6 << "1050,7"
        << "Número Hasta admite solo números enteros, sin decimales ('1050,7').";
    QTest::newRow("printed forms, Número Hasta in thousands with a fraction")
        << "FAnular" << 6 << "1.234,56"
        << "Número Hasta admite solo números enteros, sin decimales ('1.234,56').";
    QTest::newRow("machines, Precio below zero") << "FAnulaMaquina" << 7 << "-5"
                                                 << "Precio no admite números negativos ('-5').";
}

// A value the field refuses, typed into a row being added, is told naming the box as the window
// labels it; "Aceptar" then stores nothing and leaves the period's counter alone.
void TestAnular::refusedValue()
{
    QFETCH(QString, dialog);
    QFETCH(int, at);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    const QString table = tableOf(dialog);
    const int rows = p().storedRows(table);
    const QStringList good = forms(dialog)
                                 ? QStringList{"01032024", "", "alfa", "", "Facturas A", "1001", "1050", "0001"}
                                 : QStringList{"01032024", "", "alfa", "", "a", "b", "c", "10", "d", "e"};
    QStringList shown, afterAceptar;
    bool stillOpen = false;
    open(dialog, RowMode::Add, -1, [&](QDialog& d) {
        for (int i = 0; i < at; ++i) {
            if (!good[i].isEmpty())
                keyboard::type(good[i]);
            pressEnter();
        }
        const QString box = focusedName();
        keyboard::type(typed);
        pressEnter();
        QTRY_COMPARE(focusedName(), box);
        shown = p().prompt.texts();
        p().prompt.clear();
        d.findChild<QPushButton*>("BitBtn1")->click();
        afterAceptar = p().prompt.texts();
        stillOpen = d.isVisible();
    });
    QCOMPARE(shown, QStringList{message});
    QCOMPARE(afterAceptar, QStringList{message});
    QVERIFY(stillOpen);
    QCOMPARE(p().storedRows(table), rows);
    QCOMPARE(storedPeriod(Filed, "Rectificativa").toDouble(), 0.0);
}

void TestAnular::failedPostKeepsCounter()
{
    // The row cannot be saved: the counter raised for it goes back with it.
    store::Database& db = m().Session1_1->database();
    db.exec(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON %1 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                .arg(db.qualifiedTable("detalle")));
    bool stillOpen = false;
    open("FAnular", RowMode::Void, m_formRow, [&](QDialog& d) {
        auto* box = d.findChild<QComboBox*>("DBComboBox1");
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(box, "S");
        auto* aceptar = d.findChild<QPushButton*>("BitBtn1");
        aceptar->click();
        stillOpen = d.isVisible();
        QCOMPARE(p().prompt.shown().size(), 1);
        QCOMPARE(p().prompt.last().icon, PromptIcon::Error);
        QCOMPARE(storedPeriod(Filed, "Rectificativa").toDouble(), 0.0);
        QCOMPARE(m().TAnticipos->asFloat("Rectificativa"), 0.0);
        QCOMPARE(stored("detalle", m_formRow, "Anulado").toString(), QStringLiteral("N"));
        QCOMPARE(m().TVerDetalles->state(), DatasetState::Edit);

        // Once the row can be saved, "Aceptar" opens the amendment once.
        db.exec(QStringLiteral("DROP TRIGGER refuse"));
        aceptar->click();
    });
    QVERIFY(stillOpen);
    QCOMPARE(stored("detalle", m_formRow, "Anulado").toString(), QStringLiteral("S"));
    QCOMPARE(storedPeriod(Filed, "Rectificativa").toDouble(), 1.0);
}

void TestAnular::noPeriodRow()
{
    // With no period row current, a row would be saved as a row of the open period.
    const int openRows = m().TDetalles->recordCount();
    m().TAnticipos->setFilter("anio='1999'");
    m().TAnticipos->setFiltered(true);
    const int result = open("FAnular", RowMode::Add, -1, [&](QDialog& d) {
        for (const char* t : {"01032024", "", "alfa", "", "Facturas A", "1", "2", ""}) {
            if (*t)
                keyboard::type(t);
            pressEnter();
        }
        pressEnter();
        QVERIFY(d.isVisible());
        d.findChild<QPushButton*>("BitBtn2")->click();
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(p().prompt.texts(), QStringList{"No hay Anticipos Generados"});
    QCOMPARE(m().TDetalles->recordCount(), openRows);
    QCOMPARE(storedCount("detalle", "Anio IS NULL OR Anio = ''"), openRows);
    QCOMPARE(storedCount("anticipos", "1"), 2);
}

QTEST_MAIN(TestAnular)
#include "tst_anular.moc"
