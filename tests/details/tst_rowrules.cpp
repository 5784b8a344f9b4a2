// The rules a row keeps before it is posted, on pending rows of the data module's views, without
// windows: the fault each rule answers (the field the clerk is sent back to, and the message) and
// what it completes.

#include "OpenStore.h"
#include "SampleCuit.h"
#include "SampleRows.h"
#include "ScriptedPrompt.h"
#include "details/RowRules.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using fixture::cuitFor;
using rowrules::Verdict;

namespace {

const QString Reversed = QStringLiteral("El Número Desde No Puede Ser Mayor al Número Hasta");
const QString AgentMissing = QStringLiteral("Faltan Cargar Datos Obligatorios");

// The obligatory values of a printed-forms row of the open period, in the order they are checked.
const QStringList FormsObligatory = {"Fecha", "Razon_social", "cuit", "Tipo_comprobante", "NDesde", "NHasta"};

QString faultField(const Verdict& v) { return v ? v->field : QStringLiteral("-"); }
QString faultMessage(const Verdict& v) { return v ? v->message : QStringLiteral("-"); }

}  // namespace

class TestRowRules : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<fixture::OpenStore> m_store;
    int m_alfa = 0, m_nameless = 0, m_cuitless = 0;

    TDModulo& m() { return m_store->modulo; }

    // A pending printed-forms row with every obligatory value, for a case to take one away.
    store::Dataset& pendingFormsRow(double desde = 1, double hasta = 2)
    {
        store::Dataset& d = *m().TDetalles;
        d.insert();
        d.setValue(QStringLiteral("Cliente"), m_alfa);
        d.setText(QStringLiteral("Fecha"), QStringLiteral("05/03/2024"));
        d.setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("Recibos A"));
        d.setValue(QStringLiteral("NDesde"), desde);
        d.setValue(QStringLiteral("NHasta"), hasta);
        return d;
    }

private slots:
    // One data folder for every case: a case leaves only a pending row, dropped after it.
    void initTestCase()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_store = std::make_unique<fixture::OpenStore>(m_dir->path());
        m_alfa = fixture::addClient(m(), cuitFor(11111111), QStringLiteral("ALFA IMPRESOS SRL"));
        m_nameless = fixture::addClient(m(), cuitFor(33333333), QString());
        m_cuitless = fixture::addClient(m(), QString(), QStringLiteral("GAMMA SIN CUIT"));
    }
    void cleanup()
    {
        for (store::Dataset* view : {m().TDetalles, m().TMaquinas, m().TImprentas})
            view->cancel();
    }
    void cleanupTestCase()
    {
        m_store.reset();
        m_prompt.reset();
        m_dir.reset();
    }

    void firstMissing_data()
    {
        QTest::addColumn<QStringList>("emptied");  // fields left null; "client" names the client
        QTest::addColumn<int>("client");           // 0 alfa, 1 without a name, 2 without a C.U.I.T., -1 none
        QTest::addColumn<QString>("field");        // the first missing, "-" for none
        QTest::newRow("complete") << QStringList{} << 0 << "-";
        QTest::newRow("Fecha") << QStringList{"Fecha"} << 0 << "Fecha";
        QTest::newRow("no client") << QStringList{} << -1 << "Razon_social";
        QTest::newRow("client without a name") << QStringList{} << 1 << "Razon_social";
        QTest::newRow("client without a C.U.I.T.") << QStringList{} << 2 << "cuit";
        QTest::newRow("Tipo_comprobante") << QStringList{"Tipo_comprobante"} << 0 << "Tipo_comprobante";
        QTest::newRow("NDesde") << QStringList{"NDesde"} << 0 << "NDesde";
        QTest::newRow("NHasta") << QStringList{"NHasta"} << 0 << "NHasta";
        QTest::newRow("the first of several") << QStringList{"NHasta", "Tipo_comprobante", "Fecha"} << 1 << "Fecha";
        QTest::newRow("point of sale is not obligatory") << QStringList{"Punto_Venta"} << 0 << "-";
    }
    void firstMissing()
    {
        QFETCH(QStringList, emptied);
        QFETCH(int, client);
        QFETCH(QString, field);
        store::Dataset& d = pendingFormsRow();
        const int clients[] = {m_alfa, m_nameless, m_cuitless};
        if (client < 0)
            d.setNull(QStringLiteral("Cliente"));
        else
            d.setValue(QStringLiteral("Cliente"), clients[client]);
        for (const QString& f : emptied)
            d.setNull(f);
        const Verdict fault = rowrules::firstMissing(d, FormsObligatory);
        QCOMPARE(faultField(fault), field);
        if (fault)
            QCOMPARE(fault->message, QStringLiteral("Faltan Datos Obligatorios"));
    }

    void formsRow_data()
    {
        QTest::addColumn<bool>("filed");  // voided or added in a filed period, or entered in the open one
        QTest::addColumn<double>("desde");
        QTest::addColumn<double>("hasta");
        QTest::addColumn<QString>("anulado");  // the flag before
        QTest::addColumn<bool>("refused");
        QTest::addColumn<double>("count");  // CanTalonarios after; -1 left null
        QTest::addColumn<QString>("anuladoAfter");
        QTest::newRow("equal numbers") << false << 100.0 << 100.0 << "" << false << 1.0 << "N";
        QTest::newRow("1001 to 1050") << false << 1001.0 << 1050.0 << "" << false << 50.0 << "N";
        QTest::newRow("open row voided is not voided") << false << 1.0 << 2.0 << "S" << false << 2.0 << "N";
        QTest::newRow("200 to 100") << false << 200.0 << 100.0 << "S" << true << -1.0 << "S";
        QTest::newRow("filed: empty flag is N") << true << 10.0 << 19.0 << "" << false << 10.0 << "N";
        QTest::newRow("filed: a void is kept") << true << 10.0 << 19.0 << "S" << false << 10.0 << "S";
        QTest::newRow("filed: 200 to 100") << true << 200.0 << 100.0 << "" << true << -1.0 << "";
    }
    void formsRow()
    {
        QFETCH(bool, filed);
        QFETCH(double, desde);
        QFETCH(double, hasta);
        QFETCH(QString, anulado);
        QFETCH(bool, refused);
        QFETCH(double, count);
        QFETCH(QString, anuladoAfter);
        store::Dataset& d = pendingFormsRow(desde, hasta);
        d.setText(QStringLiteral("Anulado"), anulado);
        const Verdict fault = filed ? rowrules::completeFiledFormsRow(d) : rowrules::completeOpenFormsRow(d);
        QCOMPARE(faultField(fault), refused ? QStringLiteral("NDesde") : QStringLiteral("-"));
        QCOMPARE(faultMessage(fault), refused ? Reversed : QStringLiteral("-"));
        if (count < 0)
            QVERIFY(d.isNull(QStringLiteral("CanTalonarios")));
        else
            QCOMPARE(d.asFloat(QStringLiteral("CanTalonarios")), count);
        QCOMPARE(d.text(QStringLiteral("Anulado")), anuladoAfter);
    }

    // The rule on the numbers alone, as the import asks it of the numbers it reads.
    void formNumbersFault_data()
    {
        QTest::addColumn<double>("desde");
        QTest::addColumn<double>("hasta");
        QTest::addColumn<bool>("refused");
        QTest::newRow("equal") << 7.0 << 7.0 << false;
        QTest::newRow("in order") << 1.0 << 999999999999999.0 << false;
        QTest::newRow("reversed by one") << 8.0 << 7.0 << true;
        QTest::newRow("halves round to even: 2.5 to 2") << 2.5 << 2.0 << false;
        QTest::newRow("halves round to even: 3.5 to 3") << 3.5 << 3.0 << true;
    }
    void formNumbersFault()
    {
        QFETCH(double, desde);
        QFETCH(double, hasta);
        QFETCH(bool, refused);
        const Verdict fault = rowrules::formNumbersFault(desde, hasta);
        QCOMPARE(faultField(fault), refused ? QStringLiteral("NDesde") : QStringLiteral("-"));
        QCOMPARE(faultMessage(fault), refused ? Reversed : QStringLiteral("-"));
        QCOMPARE(rowrules::numbersInOrder(desde, hasta), !refused);
    }

    void machineRowIsNotVoided()
    {
        store::Dataset& d = *m().TMaquinas;
        d.insert();
        d.setText(QStringLiteral("Anulado"), QStringLiteral("S"));
        QVERIFY(!rowrules::completeOpenMachineRow(d));
        QCOMPARE(d.text(QStringLiteral("Anulado")), QStringLiteral("N"));
    }

    void agent_data()
    {
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QStringList>("activities");  // the flags set to "S"
        QTest::addColumn<QString>("field");           // "-" for none
        const QStringList all = {"Imprentas", "VMR", "Autoimpresores"};
        QTest::newRow("complete") << QStringList{} << all << "-";
        QTest::newRow("printing only") << QStringList{} << QStringList{"Imprentas"} << "-";
        QTest::newRow("registers only") << QStringList{} << QStringList{"VMR"} << "-";
        QTest::newRow("self-printing only") << QStringList{} << QStringList{"Autoimpresores"} << "-";
        QTest::newRow("no activity") << QStringList{} << QStringList{} << "Imprentas";
        QTest::newRow("Nombre") << QStringList{"Nombre"} << all << "Nombre";
        QTest::newRow("Inscripcion") << QStringList{"Inscripcion"} << all << "Inscripcion";
        QTest::newRow("Cuit") << QStringList{"Cuit"} << all << "Cuit";
        QTest::newRow("Domicilio") << QStringList{"Domicilio"} << all << "Domicilio";
        QTest::newRow("Codigo_Postal") << QStringList{"Codigo_Postal"} << all << "Codigo_Postal";
        QTest::newRow("a value before an activity") << QStringList{"Domicilio"} << QStringList{} << "Domicilio";
        QTest::newRow("the first of several") << QStringList{"Codigo_Postal", "Inscripcion"} << all << "Inscripcion";
    }
    void agent()
    {
        QFETCH(QStringList, emptied);
        QFETCH(QStringList, activities);
        QFETCH(QString, field);
        store::Dataset& a = *m().TImprentas;
        a.insert();
        a.setText(QStringLiteral("Nombre"), QStringLiteral("IMPRENTA DEL SOL"));
        a.setText(QStringLiteral("Inscripcion"), QStringLiteral("901-123456-7"));
        a.setText(QStringLiteral("Cuit"), cuitFor(99999999));
        a.setText(QStringLiteral("Domicilio"), QStringLiteral("San Martín 1234"));
        a.setValue(QStringLiteral("Codigo_Postal"), 3100);
        for (const char* flag : {"Imprentas", "VMR", "Autoimpresores"})
            a.setText(QLatin1String(flag),
                      activities.contains(QLatin1String(flag)) ? QStringLiteral("S") : QStringLiteral("N"));
        for (const QString& f : emptied)
            a.setNull(f);
        const Verdict fault = rowrules::agentFault(a);
        QCOMPARE(faultField(fault), field);
        QCOMPARE(faultMessage(fault), fault ? AgentMissing : QStringLiteral("-"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestRowRules test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rowrules.moc"
