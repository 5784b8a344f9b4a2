#include "DataFolder.h"
#include "SampleRows.h"
#include "ScriptedPrompt.h"
#include "data/Prompt.h"
#include "data/UModulo.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using fixture::addClient;
using store::Dataset;
using store::DatasetState;

namespace {

const QString ValidCuit = QStringLiteral("20123456786");
const QString OtherCuit = QStringLiteral("20000000001");  // weighted sum 10, check digit 1

void addDetail(TDModulo& m, int client, const QString& tipo, double desde, double hasta, const QString& anio = {},
               const QString& anticipo = {}, const QString& anulado = QStringLiteral("N"),
               const QString& importado = QStringLiteral("N"))
{
    Dataset* d = m.TVerDetalles;
    d->insert();
    d->setValue(QStringLiteral("Cliente"), client);
    d->setText(QStringLiteral("Tipo_comprobante"), tipo);
    d->setValue(QStringLiteral("NDesde"), desde);
    d->setValue(QStringLiteral("NHasta"), hasta);
    d->setValue(QStringLiteral("CanTalonarios"), hasta - desde + 1);
    d->setText(QStringLiteral("Anio"), anio);
    d->setText(QStringLiteral("Anticipo"), anticipo);
    d->setText(QStringLiteral("Anulado"), anulado);
    d->setText(QStringLiteral("Importado"), importado);
    d->post();
}

void addMachine(TDModulo& m, int client, const QString& marca, const QString& anio = {}, const QString& anticipo = {},
                const QString& anulado = {})
{
    Dataset* d = m.TVerMaquinas;
    d->insert();
    d->setValue(QStringLiteral("Cliente_id"), client);
    d->setText(QStringLiteral("Marca"), marca);
    d->setText(QStringLiteral("Modelo"), marca + QStringLiteral("-M"));
    d->setText(QStringLiteral("Anio"), anio);
    d->setText(QStringLiteral("Anticipo"), anticipo);
    d->setText(QStringLiteral("Anulado"), anulado);
    d->post();
}

QStringList column(Dataset* ds, const QString& field)
{
    QStringList values;
    for (int i = 0; i < ds->recordCount(); ++i)
        values << ds->textAt(i, field);
    return values;
}

}  // namespace

class TestModulo : public QObject {
    Q_OBJECT
private slots:
    void validarCuit_data();
    void validarCuit();
    void firstStartCreatesTables();
    void aliasCreatedOnceAndKept();
    void aliasFailureIsReported();
    void datosFolderLeavesAliasAlone();
    void newAgentRowHasFlagsN();
    void invalidCuitRefusedOnAssignment();
    void duplicateClientKeepsRowInInsert();
    void clientWithDetailsNotDeleted_data();
    void clientWithDetailsNotDeleted();
    void deleteRefusalClosedWithoutYesReachesErrorBox();
    void anticiposNormalisedOnPost_data();
    void anticiposNormalisedOnPost();
    void anticiposOnePeriodOnce();
    void openPeriodViewsAndLookups();
    void periodFilterAndStamping();
    void printedTotalsLeaveVoidedRowsOut();
    void qrepEmptyAndMachinesOnly();
    void qantFindsFiledPeriod();
    void qborrarKeepsTypedAndFiledRows();
    void abrirTablasStopsAtDamagedFile();
    void cerrarTablasClosesAndReopens();
};

void TestModulo::validarCuit_data()
{
    QTest::addColumn<QString>("cuit");
    QTest::addColumn<bool>("valid");
    QTest::newRow("worked example") << QStringLiteral("20123456786") << true;
    QTest::newRow("worked example, wrong digit") << QStringLiteral("20123456785") << false;
    QTest::newRow("remainder 1 gives 0") << QStringLiteral("20000000010") << true;  // weighted sum 12
    QTest::newRow("remainder 1 refuses 10's digit") << QStringLiteral("20000000011") << false;
    QTest::newRow("remainder 0 gives 0") << QStringLiteral("23000000000") << true;  // weighted sum 22
    QTest::newRow("remainder 0 refuses 1") << QStringLiteral("23000000001") << false;
    QTest::newRow("eleven zeros") << QStringLiteral("00000000000") << false;
    QTest::newRow("empty passes") << QString() << true;
    QTest::newRow("dashes") << QStringLiteral("20-12345678-6") << false;
    QTest::newRow("blank inside") << QStringLiteral("2012345 786") << false;
    QTest::newRow("letter inside") << QStringLiteral("20123A56786") << false;
    QTest::newRow("ten digits") << QStringLiteral("2012345678") << false;
    QTest::newRow("sign") << QStringLiteral("+2012345678") << false;
}

void TestModulo::validarCuit()
{
    QFETCH(QString, cuit);
    QFETCH(bool, valid);
    QCOMPARE(TDModulo::ValidarCuit(cuit), valid);
}

void TestModulo::firstStartCreatesTables()
{
    DataFolder folder;
    folder.modulo();
    const QDir tables(folder.file(QStringLiteral("tablas")));
    for (const char* name : {"imprenta.db", "cliente.DB", "detalle.DB", "Maquina.DB", "Anticipos.db", "Formularios.db"})
        QVERIFY2(tables.exists(QString::fromLatin1(name)), name);
    QVERIFY(tables.exists(QStringLiteral("ddjj")));
    QVERIFY(tables.exists(QStringLiteral("back")));
    QVERIFY(folder.modulo().TImprentas->active());
    QVERIFY(folder.modulo().TImprentas->isEmpty());
}

void TestModulo::aliasCreatedOnceAndKept()
{
    QTemporaryDir dir;
    const QString confPath = dir.filePath(QStringLiteral("store.conf"));
    ScriptedPrompt prompt;
    {
        store::AliasConfig config(confPath);
        TDModulo m(&config, prompt);
        QVERIFY(prompt.shown().isEmpty());
        QCOMPARE(store::AliasConfig(confPath).path(QStringLiteral("imprentas")),
                 QDir(QCoreApplication::applicationDirPath()).absolutePath());
    }
    // A second start finds the alias, whatever its case and wherever it points, and writes nothing.
    QFile file(confPath);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray text = file.readAll();
    text.replace("IMPRENTAS", "Imprentas");
    text.replace(QDir(QCoreApplication::applicationDirPath()).absolutePath().toUtf8(), "/moved/elsewhere");
    file.resize(0);
    file.write(text);
    file.close();
    const QDateTime before = QFileInfo(confPath).lastModified();
    QTest::qWait(20);
    store::AliasConfig config(confPath);
    TDModulo m(&config, prompt);
    QCOMPARE(QFileInfo(confPath).lastModified(), before);
    QCOMPARE(m.aliasFolder(), QStringLiteral("/moved/elsewhere"));
    QVERIFY(prompt.shown().isEmpty());
}

void TestModulo::aliasFailureIsReported()
{
    QTemporaryDir dir;
    // A folder where the configuration file should be: it can be neither read nor written.
    const QString confPath = dir.filePath(QStringLiteral("store.conf"));
    QVERIFY(QDir().mkpath(confPath));
    ScriptedPrompt prompt;
    store::AliasConfig config(confPath);
    TDModulo m(&config, prompt);
    QCOMPARE(prompt.texts(), QStringList{QStringLiteral("Error creando el Alias: IMPRENTAS")});
    QCOMPARE(prompt.last().icon, PromptIcon::Error);
    QCOMPARE(prompt.last().buttons, PromptButtons::Ok);
    // Start-up goes on; the views then fail with the store's own error.
    QVERIFY_THROWS_EXCEPTION(store::StoreError, m.AbrirTablas());
    QVERIFY(!m.TImprentas->active());
}

void TestModulo::datosFolderLeavesAliasAlone()
{
    QTemporaryDir dir;
    const QString confPath = dir.filePath(QStringLiteral("store.conf"));
    store::AliasConfig config(confPath);
    InstalledPrompt installedPrompt;
    TDModulo m(&config, installedPrompt, dir.filePath(QStringLiteral("datos")));
    m.AbrirTablas();
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("datos/cliente.DB"))));
    QVERIFY(!QFile::exists(confPath));
}

void TestModulo::newAgentRowHasFlagsN()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    m.TImprentas->edit();  // an empty table starts a new row
    QCOMPARE(m.TImprentas->state(), DatasetState::Insert);
    for (const char* flag : {"Imprentas", "VMR", "Autoimpresores"})
        QCOMPARE(m.TImprentas->text(QString::fromLatin1(flag)), QStringLiteral("N"));
}

void TestModulo::invalidCuitRefusedOnAssignment()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    ScriptedPrompt prompt;
    for (Dataset* ds : {m.TImprentas, m.TCliente}) {
        prompt.clear();
        ds->insert();
        ds->setText(QStringLiteral("Cuit"), ValidCuit);
        QVERIFY_THROWS_EXCEPTION(store::Abort, ds->setText(QStringLiteral("Cuit"), QStringLiteral("20123456785")));
        QCOMPARE(ds->text(QStringLiteral("Cuit")), ValidCuit);  // the former value stays
        QCOMPARE(prompt.shown().size(), 1);
        QCOMPARE(prompt.last().text, QStringLiteral("C.U.I.T. Inválido"));
        QCOMPARE(prompt.last().caption, QStringLiteral("Brosmera"));
        QCOMPARE(prompt.last().icon, PromptIcon::None);
        ds->cancel();
    }
}

void TestModulo::duplicateClientKeepsRowInInsert()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    ScriptedPrompt prompt;
    addClient(m, ValidCuit, QStringLiteral("PRIMERO"));
    m.TCliente->insert();
    m.TCliente->setText(QStringLiteral("Cuit"), ValidCuit);
    m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("SEGUNDO"));
    QVERIFY_THROWS_EXCEPTION(store::Abort, m.TCliente->post());
    QCOMPARE(prompt.texts(), QStringList{QStringLiteral("Ya existe un Contribuyente con ese C.U.I.T.")});
    QCOMPARE(prompt.last().caption, QStringLiteral("Quenlaro"));
    QCOMPARE(m.TCliente->state(), DatasetState::Insert);
    QCOMPARE(m.TCliente->text(QStringLiteral("Razon_Social")), QStringLiteral("SEGUNDO"));
    m.TCliente->cancel();
    QCOMPARE(m.TCliente->recordCount(), 1);
}

void TestModulo::clientWithDetailsNotDeleted_data()
{
    QTest::addColumn<bool>("machine");
    QTest::newRow("printed-forms row") << false;
    QTest::newRow("machine row") << true;
}

void TestModulo::clientWithDetailsNotDeleted()
{
    QFETCH(bool, machine);
    DataFolder folder;
    TDModulo& m = folder.modulo();
    ScriptedPrompt prompt;
    const int id = addClient(m, ValidCuit, QStringLiteral("CON DETALLE"));
    if (machine)
        addMachine(m, id, QStringLiteral("MARCA"));
    else
        addDetail(m, id, QStringLiteral("FACTURA A"), 1, 50);
    QVERIFY(m.TCliente->findKey({ValidCuit}));
    QVERIFY_THROWS_EXCEPTION(store::Abort, m.TCliente->remove());
    QCOMPARE(prompt.texts(), QStringList{QStringLiteral("Existen Detalles Asociados al Cliente")});
    QCOMPARE(prompt.last().buttons, PromptButtons::Yes);
    QCOMPARE(prompt.last().icon, PromptIcon::Information);
    QCOMPARE(m.TCliente->recordCount(), 1);

    // A client nobody refers to goes.
    addClient(m, OtherCuit, QStringLiteral("SIN DETALLE"));
    QVERIFY(m.TCliente->findKey({OtherCuit}));
    m.TCliente->remove();
    QCOMPARE(m.TCliente->recordCount(), 1);
}

void TestModulo::deleteRefusalClosedWithoutYesReachesErrorBox()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    ScriptedPrompt prompt;
    addDetail(m, addClient(m, ValidCuit, QStringLiteral("X")), QStringLiteral("FACTURA A"), 1, 1);
    prompt.answer(PromptButton::None);
    try {
        m.TCliente->remove();
        QFAIL("the delete went through");
    } catch (const store::StoreError& e) {
        QCOMPARE(e.code(), int(store::MasterHasDetails));
    }
    QCOMPARE(m.TCliente->recordCount(), 1);
}

void TestModulo::anticiposNormalisedOnPost_data()
{
    QTest::addColumn<QString>("anticipo");
    QTest::addColumn<QString>("rectificativa");
    QTest::addColumn<QString>("storedAnticipo");
    QTest::addColumn<QString>("storedRectificativa");
    QTest::newRow("one digit padded, empty amendment 0") << "7"
                                                         << ""
                                                         << "07"
                                                         << "0";
    QTest::newRow("two digits kept") << "11"
                                     << "2"
                                     << "11"
                                     << "2";
    QTest::newRow("empty left alone") << ""
                                      << ""
                                      << ""
                                      << "0";
}

void TestModulo::anticiposNormalisedOnPost()
{
    QFETCH(QString, anticipo);
    QFETCH(QString, rectificativa);
    QFETCH(QString, storedAnticipo);
    QFETCH(QString, storedRectificativa);
    DataFolder folder;
    TDModulo& m = folder.modulo();
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
    m.TAnticipos->setText(QStringLiteral("Anticipo"), anticipo);
    m.TAnticipos->setText(QStringLiteral("Rectificativa"), rectificativa);
    m.TAnticipos->post();
    m.TAnticipos->refresh();
    QCOMPARE(m.TAnticipos->text(QStringLiteral("Anticipo")), storedAnticipo);
    QCOMPARE(m.TAnticipos->text(QStringLiteral("Rectificativa")), storedRectificativa);
    QVERIFY(m.TAnticipos->isNull(QStringLiteral("Rec_pre")));
}

void TestModulo::anticiposOnePeriodOnce()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    for (const char* a : {"3", "03"}) {
        m.TAnticipos->insert();
        m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
        m.TAnticipos->setText(QStringLiteral("Anticipo"), QString::fromLatin1(a));
        if (QByteArray(a) == "3") {
            m.TAnticipos->post();
            continue;
        }
        try {
            m.TAnticipos->post();
            QFAIL("a second row for one period was stored");
        } catch (const store::StoreError& e) {
            QCOMPARE(e.code(), int(store::KeyViolation));
        }
        m.TAnticipos->cancel();
    }
    QCOMPARE(m.TAnticipos->recordCount(), 1);
}

void TestModulo::openPeriodViewsAndLookups()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    const int a = addClient(m, ValidCuit, QStringLiteral("ALFA"));
    addDetail(m, a, QStringLiteral("FACTURA A"), 1, 10);
    addDetail(m, a, QStringLiteral("FACTURA B"), 1, 10, {}, QStringLiteral("05"));  // empty Anio: still open
    addDetail(m, a, QStringLiteral("FACTURA C"), 1, 10, QStringLiteral("2024"), QStringLiteral("05"));
    addDetail(m, 999, QStringLiteral("HUERFANO"), 1, 1);
    addMachine(m, a, QStringLiteral("ABC"));
    addMachine(m, a, QStringLiteral("VIEJA"), QStringLiteral("2024"), QStringLiteral("05"));

    QCOMPARE(column(m.TDetalles, QStringLiteral("Tipo_comprobante")),
             (QStringList{"FACTURA A", "FACTURA B", "HUERFANO"}));
    QCOMPARE(column(m.TDetalles, QStringLiteral("cuit")), (QStringList{ValidCuit, ValidCuit, QString()}));
    QCOMPARE(column(m.TDetalles, QStringLiteral("Razon_social")), (QStringList{"ALFA", "ALFA", QString()}));
    QCOMPARE(column(m.TMaquinas, QStringLiteral("Marca")), QStringList{"ABC"});
    QCOMPARE(column(m.TMaquinas, QStringLiteral("RazonSocial")), QStringList{"ALFA"});

    // Assigning a lookup sets the key; a renamed client shows at once.
    const int b = addClient(m, OtherCuit, QStringLiteral("BETA"));
    m.TDetalles->first();
    m.TDetalles->edit();
    m.TDetalles->setText(QStringLiteral("Razon_social"), QStringLiteral("BETA"));
    QCOMPARE(m.TDetalles->asInteger(QStringLiteral("Cliente")), b);
    QCOMPARE(m.TDetalles->text(QStringLiteral("cuit")), OtherCuit);
    m.TDetalles->setText(QStringLiteral("cuit"), ValidCuit);
    QCOMPARE(m.TDetalles->asInteger(QStringLiteral("Cliente")), a);
    m.TDetalles->post();
    QVERIFY(m.TCliente->findKey({ValidCuit}));
    m.TCliente->edit();
    m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("ALFA NUEVA"));
    m.TCliente->post();
    QCOMPARE(m.TDetalles->textAt(0, QStringLiteral("Razon_social")), QStringLiteral("ALFA NUEVA"));
}

void TestModulo::periodFilterAndStamping()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    const int a = addClient(m, ValidCuit, QStringLiteral("ALFA"));
    addDetail(m, a, QStringLiteral("FACTURA A"), 1, 10);
    addMachine(m, a, QStringLiteral("ABC"));
    addDetail(m, a, QStringLiteral("FACTURA B"), 1, 10, QStringLiteral("2016"), QStringLiteral("02"));

    m.TVerDetalles->setFiltered(false);
    m.TVerDetalles->setFilter(QStringLiteral("anio=null and Anticipo=null"));
    m.TVerDetalles->setFiltered(true);
    QCOMPARE(column(m.TVerDetalles, QStringLiteral("Tipo_comprobante")), QStringList{"FACTURA A"});

    for (store::Query* q : {m.QMod, m.QAntM}) {
        q->close();
        q->setParam(0, QStringLiteral("2016"));
        q->setParam(1, QStringLiteral("03"));
        q->execSql();
    }
    QCOMPARE(m.TDetalles->recordCount(), 0);  // every view over the table follows at once
    QCOMPARE(m.TMaquinas->recordCount(), 0);
    QCOMPARE(m.TVerDetalles->recordCount(), 0);

    m.TVerDetalles->setFilter(QStringLiteral("anio='2016' and Anticipo='03'"));
    QCOMPARE(column(m.TVerDetalles, QStringLiteral("Tipo_comprobante")), QStringList{"FACTURA A"});
    m.TVerMaquinas->setFilter(QStringLiteral("anio='2016' and Anticipo='03'"));
    m.TVerMaquinas->setFiltered(true);
    QCOMPARE(column(m.TVerMaquinas, QStringLiteral("cuit")), QStringList{ValidCuit});
}

void TestModulo::printedTotalsLeaveVoidedRowsOut()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    const int a = addClient(m, ValidCuit, QStringLiteral("ALFA"));
    const QString y = QStringLiteral("2024"), p = QStringLiteral("05");
    addDetail(m, a, QStringLiteral("FACTURA A"), 1, 50, y, p);
    addDetail(m, a, QStringLiteral("FACTURA A"), 51, 60, y, p, QString());  // empty flag is not voided
    addDetail(m, a, QStringLiteral("FACTURA A"), 61, 99, y, p, QStringLiteral("S"));
    addDetail(m, a, QStringLiteral("REMITO R"), 1, 5, y, p);
    addDetail(m, a, QStringLiteral("REMITO R"), 1, 500, y, QStringLiteral("06"));
    addMachine(m, a, QStringLiteral("ABC"), y, p);
    addMachine(m, a, QStringLiteral("ANULADA"), y, p, QStringLiteral("S"));

    m.QBorraForm->execSql();
    m.QInsertaForm->close();
    m.QInsertaForm->setParam(0, y);
    m.QInsertaForm->setParam(1, p);
    m.QInsertaForm->execSql();
    QCOMPARE(column(m.TFormulario, QStringLiteral("Tipo_comprobante")), (QStringList{"FACTURA A", "REMITO R"}));
    QCOMPARE(column(m.TFormulario, QStringLiteral("Cantidad")), (QStringList{"60", "5"}));

    m.Qrep->close();
    m.Qrep->setParam(0, y);
    m.Qrep->setParam(1, p);
    m.Qrep->open();
    QCOMPARE(m.Qrep->recordCount(), 3);
    QStringList rows;
    for (m.Qrep->first(); !m.Qrep->eof(); m.Qrep->next())
        rows << QStringLiteral("%1|%2|%3|%4")
                    .arg(m.Qrep->asInteger(QStringLiteral("orden")))
                    .arg(m.Qrep->text(QStringLiteral("tc")), m.Qrep->text(QStringLiteral("cant")),
                         m.Qrep->text(QStringLiteral("temp")));
    QCOMPARE(rows, (QStringList{"1|FACTURA A|60|" + QString(46, QLatin1Char('A')),
                                "1|REMITO R|5|" + QString(46, QLatin1Char('A')), "2|ABC|12|ABC-M"}));

    // Voided rows stay in the period views.
    m.TVerDetalles->setFilter(QStringLiteral("anio='2024' and Anticipo='05'"));
    m.TVerDetalles->setFiltered(true);
    QCOMPARE(m.TVerDetalles->recordCount(), 4);
}

void TestModulo::qrepEmptyAndMachinesOnly()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    auto rep = [&m] {
        m.QBorraForm->execSql();
        m.QInsertaForm->close();
        m.QInsertaForm->setParam(0, QStringLiteral("2024"));
        m.QInsertaForm->setParam(1, QStringLiteral("01"));
        m.QInsertaForm->execSql();
        m.Qrep->close();
        m.Qrep->setParam(0, QStringLiteral("2024"));
        m.Qrep->setParam(1, QStringLiteral("01"));
        m.Qrep->open();
    };
    rep();
    QCOMPARE(m.Qrep->recordCount(), 0);
    addMachine(m, addClient(m, ValidCuit, QStringLiteral("A")), QStringLiteral("M1"), QStringLiteral("2024"),
               QStringLiteral("01"));
    rep();
    QCOMPARE(m.Qrep->recordCount(), 1);
    QCOMPARE(m.Qrep->asInteger(QStringLiteral("orden")), 2);
}

void TestModulo::qantFindsFiledPeriod()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
    m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
    m.TAnticipos->post();
    auto exists = [&m](const QString& anio, const QString& anticipo) {
        m.QAnt->close();
        m.QAnt->setParam(0, anio);
        m.QAnt->setParam(1, anticipo);
        m.QAnt->open();
        return m.QAnt->recordCount() == 1 && m.QAnt->asInteger(QStringLiteral("exito")) == 1;
    };
    QVERIFY(exists(QStringLiteral("2024"), QStringLiteral("03")));
    QVERIFY(!exists(QStringLiteral("2024"), QStringLiteral("04")));
    QVERIFY(!exists(QStringLiteral("2024"), QStringLiteral("3")));  // compared as typed
    // Parameters not set come from the current period row.
    m.QAnt->close();
    m.QAnt->clearParams();
    m.QAnt->open();
    QCOMPARE(m.QAnt->recordCount(), 1);
}

void TestModulo::qborrarKeepsTypedAndFiledRows()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    const int a = addClient(m, ValidCuit, QStringLiteral("A"));
    addDetail(m, a, QStringLiteral("TIPEADO"), 1, 1);
    addDetail(m, a, QStringLiteral("IMPORTADO"), 1, 1, {}, {}, QStringLiteral("N"), QStringLiteral("S"));
    addDetail(m, a, QStringLiteral("SIN MARCA"), 1, 1, {}, {}, QStringLiteral("N"), QString());
    addDetail(m, a, QStringLiteral("PRESENTADO"), 1, 1, QStringLiteral("2024"), QStringLiteral("01"),
              QStringLiteral("N"), QStringLiteral("S"));
    m.QBorrar->execSql();
    m.TVerDetalles->setFiltered(false);
    QCOMPARE(column(m.TVerDetalles, QStringLiteral("Tipo_comprobante")),
             (QStringList{"TIPEADO", "SIN MARCA", "PRESENTADO"}));
}

void TestModulo::abrirTablasStopsAtDamagedFile()
{
    DataFolder folder;
    folder.modulo().CerrarTablas();
    QFile file(folder.file(QStringLiteral("tablas/detalle.DB")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("esto no es una tabla\r\n");
    file.close();
    TDModulo& m = folder.modulo();
    try {
        m.AbrirTablas();
        QFAIL("a damaged table opened");
    } catch (const store::StoreError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("detalle.DB")), qPrintable(e.text()));
    }
    QVERIFY(m.TImprentas->active());
    QVERIFY(m.TCliente->active());
    for (Dataset* ds : {m.TDetalles, m.TVerDetalles, m.TAnticipos, m.TMaquinas, m.TVerMaquinas, m.TFormulario})
        QVERIFY2(!ds->active(), qPrintable(ds->name()));
    QVERIFY(!m.QMaximo->active());
    // Nothing was written into the file that failed.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("esto no es una tabla\r\n"));
    // Clients cannot be deleted while the detail rows cannot be checked.
    ScriptedPrompt prompt;
    addClient(m, ValidCuit, QStringLiteral("A"));
    QVERIFY_THROWS_EXCEPTION(store::Abort, m.TCliente->remove());
}

void TestModulo::cerrarTablasClosesAndReopens()
{
    DataFolder folder;
    TDModulo& m = folder.modulo();
    addClient(m, ValidCuit, QStringLiteral("A"));
    m.CerrarTablas();
    QVERIFY(!m.TCliente->active());
    QVERIFY(!m.Session1_1->active());
    m.AbrirTablas();
    QCOMPARE(m.TCliente->recordCount(), 1);
}

QTEST_GUILESS_MAIN(TestModulo)
#include "tst_modulo.moc"
