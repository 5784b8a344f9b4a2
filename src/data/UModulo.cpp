#include "UModulo.h"

#include "Prompt.h"
#include "Schema.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using store::Dataset;
using store::DataSource;
using store::LookupDef;
using store::Query;

TDModulo* DModulo = nullptr;

const QString TDModulo::AliasName = QStringLiteral("IMPRENTAS");

TDModulo::TDModulo(store::AliasConfig* aliasConfig, Prompt& prompt, const QString& dataFolder, QObject* parent)
    : QObject(parent), config(aliasConfig), m_prompt(prompt), m_dataFolder(dataFolder)
{
    setObjectName(QStringLiteral("DModulo"));
    Session1_1 = new store::Session(QStringLiteral("Session1_1"), schema::tables(), schema::references(), this);
    Session1_1->setAliasConfig(config);
    Session1_1->setDatabaseName(QStringLiteral("imprentas"));
    Session1_1->setFolderOverride(m_dataFolder);
    createViews();
    createQueries();
    bindRules();
    DataModuleCreate();
}

TDModulo::~TDModulo()
{
    Session1_1->setActive(false);
    m_lock.reset();  // after the connection has let go of the files
}

void TDModulo::useFolderForRun(const QString& folder)
{
    CerrarTablas();
    m_lock.reset();
    m_dataFolder = folder;
    Session1_1->setFolderOverride(folder);
}

void TDModulo::lockFolder(const QString& who, int waitMs)
{
    // Taken anew before the old one goes, so a lock already held is never let go in between.
    std::unique_ptr<store::FolderLock> lock = std::make_unique<store::FolderLock>(aliasFolder(), who, waitMs);
    m_lock = std::move(lock);
}

void TDModulo::createViews()
{
    auto view = [this](const char* name, const char* table) {
        return new Dataset(Session1_1, QString::fromLatin1(name), QString::fromLatin1(table), this);
    };
    TImprentas = view("TImprentas", "imprenta");
    TCliente = view("TCliente", "cliente");
    TCliente->setIndexName(QStringLiteral("indx_cliente_cuit"));
    TClientes2 = view("TClientes2", "cliente");
    TClientes2->setIndexName(QStringLiteral("indx_cliente_cuit"));
    TDetalles = view("TDetalles", "detalle");
    TDetalles->setFilter(QStringLiteral("anio=null"));
    TDetalles->setFiltered(true);
    TVerDetalles = view("TVerDetalles", "detalle");
    TMaquinas = view("TMaquinas", "maquina");
    TMaquinas->setFilter(QStringLiteral("anio=null"));
    TMaquinas->setFiltered(true);
    TVerMaquinas = view("TVerMaquinas", "maquina");
    TAnticipos = view("TAnticipos", "anticipos");
    TAnticipos->setIndexName(QStringLiteral("indx_anticipos_periodo"));
    TFormulario = view("TFormulario", "formularios");

    auto client = [this](const char* name, int width, const char* key, const char* result) {
        return LookupDef{QString::fromLatin1(name),    width,
                         QString::fromLatin1(key),     TCliente,
                         QStringLiteral("Id_cliente"), QString::fromLatin1(result)};
    };
    TDetalles->addLookup(client("cuit", 15, "Cliente", "Cuit"));
    TDetalles->addLookup(client("Razon_social", 60, "Cliente", "Razon_Social"));
    TVerDetalles->addLookup(client("Cuit", 15, "Cliente", "Cuit"));
    TVerDetalles->addLookup(client("Razon_Social", 60, "Cliente", "Razon_Social"));
    TMaquinas->addLookup(client("RazonSocial", 60, "Cliente_id", "Razon_Social"));
    TMaquinas->addLookup(client("Cuit", 20, "Cliente_id", "Cuit"));
    TVerMaquinas->addLookup(client("cuit", 20, "Cliente_id", "Cuit"));
    TVerMaquinas->addLookup(client("Razon_Social", 60, "Cliente_id", "Razon_Social"));

    auto source = [this](const char* name, Dataset* dataset) {
        return new DataSource(QString::fromLatin1(name), dataset, this);
    };
    DImprentas = source("DImprentas", TImprentas);
    DCliente = source("DCliente", TCliente);
    DClientes2 = source("DClientes2", TClientes2);
    DDetalles = source("DDetalles", TDetalles);
    DVerDetalles = source("DVerDetalles", TVerDetalles);
    DMaquinas = source("DMaquinas", TMaquinas);
    DVerMaquinas = source("DVerMaquinas", TVerMaquinas);
    DAnticipos = source("DAnticipos", TAnticipos);
    DFormulario = source("DFormulario", TFormulario);
}

void TDModulo::createQueries()
{
    auto query = [this](const char* name, QStringList lines) {
        return new Query(Session1_1, QString::fromLatin1(name), std::move(lines), this);
    };
    QMaximo = query("QMaximo", {QStringLiteral("select max(procesoN) maxi"), QStringLiteral("from detalle.db")});
    QAnt = query("QAnt", {QStringLiteral("select 1 exito"), QStringLiteral("from anticipos.db"),
                          QStringLiteral("where anio=:anio"), QStringLiteral("and anticipo=:anticipo")});
    QAnt->setDataSource(TAnticipos);
    QMod = query("QMod", {QStringLiteral("update  detalle"), QStringLiteral("set anio=:anio, anticipo=:anticipo"),
                          QStringLiteral("where anio is null"), QStringLiteral("and anticipo is null")});
    QAntM = query("QAntM", {QStringLiteral("update  maquina"), QStringLiteral("set anio=:anio, anticipo=:anticipo"),
                            QStringLiteral("where anio is null"), QStringLiteral("and anticipo is null")});
    QBorraForm = query("QBorraForm", {QStringLiteral("delete from formularios.db")});
    QInsertaForm = query(
        "QInsertaForm", {QStringLiteral("Insert into formularios(tipo_comprobante, cantidad) "),
                         QStringLiteral("select tipo_comprobante, sum(Cantalonarios)"), QStringLiteral(" from detalle"),
                         QStringLiteral(" where anio =:anio"), QStringLiteral(" and anticipo= :anticipo"),
                         QStringLiteral(" and anulado<>'S'"), QStringLiteral("group by tipo_comprobante")});
    Qrep =
        query("Qrep", {QStringLiteral("select 1 orden, tipo_comprobante tc, cantidad cant, "
                                      "'AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA' temp"),
                       QStringLiteral("from Formularios"), QStringLiteral("where cantidad>0"), QStringLiteral("union"),
                       QStringLiteral("select 2 orden, Marca tc, 12 cant, modelo temp"), QStringLiteral("from maquina"),
                       QStringLiteral("where anio =:anio"), QStringLiteral("and anticipo=:anticipo"),
                       QStringLiteral("and anulado<>'S'"), QStringLiteral("order by orden")});
    QBorrar = query("QBorrar", {QStringLiteral("Delete from Detalle"), QStringLiteral("where anio is null"),
                                QStringLiteral("and anticipo is null"), QStringLiteral("and importado='S'")});
}

void TDModulo::bindRules()
{
    auto flush = [](Dataset& ds) { ds.flushBuffers(); };
    for (Dataset* ds : {TImprentas, TCliente, TDetalles, TVerDetalles, TMaquinas, TVerMaquinas, TFormulario})
        ds->setBeforePost(flush);

    auto checkCuit = [this](Dataset&, const QVariant& value) {
        if (!ValidarCuit(value.toString())) {
            m_prompt.box(QStringLiteral("C.U.I.T. Inválido"), QStringLiteral("Brosmera"), PromptButtons::Ok);
            throw store::Abort();
        }
    };
    TImprentas->setValidator(QStringLiteral("Cuit"), checkCuit);
    TCliente->setValidator(QStringLiteral("Cuit"), checkCuit);

    TImprentas->setOnNewRecord([](Dataset& ds) {
        ds.setText(QStringLiteral("Imprentas"), QStringLiteral("N"));
        ds.setText(QStringLiteral("VMR"), QStringLiteral("N"));
        ds.setText(QStringLiteral("Autoimpresores"), QStringLiteral("N"));
    });

    TAnticipos->setBeforePost([](Dataset& ds) {
        if (ds.text(QStringLiteral("Rectificativa")).isEmpty())
            ds.setValue(QStringLiteral("Rectificativa"), 0.0);
        const QString anticipo = ds.text(QStringLiteral("Anticipo"));
        if (storedAnticipo(anticipo) != anticipo)
            ds.setText(QStringLiteral("Anticipo"), storedAnticipo(anticipo));
        ds.flushBuffers();
    });

    TCliente->setOnPostError([this](Dataset&, const store::StoreError& e) {
        if (e.code() != store::KeyViolation)
            return Dataset::ErrorAction::Fail;
        m_prompt.box(QStringLiteral("Ya existe un Contribuyente con ese C.U.I.T."), QStringLiteral("Quenlaro"),
                     PromptButtons::Ok);
        return Dataset::ErrorAction::Abort;
    });
    TCliente->setOnDeleteError([this](Dataset&, const store::StoreError& e) {
        if (e.code() != store::MasterHasDetails)
            return Dataset::ErrorAction::Fail;
        const PromptButton answer = m_prompt.dialog(
            PromptIcon::Information, QStringLiteral("Existen Detalles Asociados al Cliente"), PromptButtons::Yes);
        return answer == PromptButton::Yes ? Dataset::ErrorAction::Abort : Dataset::ErrorAction::Fail;
    });
}

void TDModulo::DataModuleCreate()
{
    // A folder given for this run leaves the configuration alone.
    if (!m_dataFolder.isEmpty())
        return;
    try {
        if (config->exists(AliasName))
            return;
        // An installed program keeps its tables in the user's data folder: it cannot write beside
        // itself, and must not where it could (run by root, or unpacked from its package).
        QString folder = QCoreApplication::applicationDirPath();
        const QFileInfo programFolder(folder);
        if (folder.isEmpty() || programFolder.fileName() == QLatin1String("bin") || !programFolder.isWritable())
            folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        config->add(AliasName, QDir(folder).absolutePath() + QLatin1Char('/'), store::TableDriver);
        config->save();
        // The folder the program chose for itself on its first start is made now; a folder the
        // clerk configured and cannot be found is asked about before anything opens.
        QDir().mkpath(folder);
    } catch (const store::StoreError&) {
        m_prompt.dialog(PromptIcon::Error, QStringLiteral("Error creando el Alias: IMPRENTAS"), PromptButtons::Ok);
    }
}

QString TDModulo::aliasFolder() const { return Session1_1->folder(); }

void TDModulo::AbrirTablas()
{
    TImprentas->open();
    TCliente->open();
    TDetalles->open();
    QMaximo->open();
    QAnt->open();
    TVerDetalles->open();
    TAnticipos->open();
    TMaquinas->open();
    TVerMaquinas->open();
    TFormulario->open();
    // A folder a first start left half made, completed just now: told once.
    const QString completed = Session1_1->database().takeStartNotice();
    if (!completed.isEmpty())
        m_prompt.notice(completed);
    // A filed declaration a crash left under its pending name, which could not take its name.
    const QString pending = Session1_1->database().takePendingFilesError();
    if (!pending.isEmpty())
        m_prompt.notice(pending + QStringLiteral(" Se intentará de nuevo la próxima vez que se abra el "
                                                 "programa."));
}

void TDModulo::cancelPendingEdits(const store::Dataset* keep)
{
    for (store::Dataset* view :
         {TImprentas, TCliente, TClientes2, TDetalles, TVerDetalles, TMaquinas, TVerMaquinas, TAnticipos, TFormulario})
        if (view != keep && view->editing())
            view->cancel();
}

void TDModulo::CerrarTablas()
{
    TImprentas->close();
    TCliente->close();
    TDetalles->close();
    QMaximo->close();
    QAnt->close();
    TVerDetalles->close();
    TAnticipos->close();
    TMaquinas->close();
    TVerMaquinas->close();
    TFormulario->close();
    // The repair puts new table files in place: the connection must let go of the old ones.
    Session1_1->setActive(false);
}

QString TDModulo::storedAnticipo(const QString& anticipo)
{
    return anticipo.size() == 1 ? QLatin1Char('0') + anticipo : anticipo;
}

bool TDModulo::ValidarCuit(const QString& cuit)
{
    if (cuit.isEmpty())
        return true;
    if (cuit.size() != 11)
        return false;
    static const QString weights = QStringLiteral("5432765432");
    int sum = 0;
    for (int i = 0; i < 11; ++i) {
        const QChar c = cuit[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        if (i < 10)
            sum += (c.unicode() - '0') * (weights[i].unicode() - '0');
    }
    if (cuit.toLongLong() == 0)
        return false;
    int check = 11 - sum % 11;
    if (check >= 10)
        check = 0;
    return cuit[10].unicode() - '0' == check;
}
