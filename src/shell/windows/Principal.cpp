#include "Principal.h"

#include "Acerca_de.h"
#include "UClientes.h"
#include "UClientesMod.h"
#include "Uimprenta.h"
#include "backup/Backup.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "declaration/Destination.h"
#include "declaration/windows/DeclarationPdfDialog.h"
#include "declaration/windows/URecVer.h"
#include "declaration/windows/UVer.h"
#include "declaration/windows/VerifierDialog.h"
#include "details/windows/UDetalleG.h"
#include "imports/windows/Carga.h"
#include "imports/windows/CargarContri.h"
#include "maintenance/TableRepair.h"
#include "maintenance/windows/UReparar.h"
#include "resources/Emblem.h"
#include "widgets/ModalDialog.h"
#include "widgets/StandardError.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

TFPrincipal* FPrincipal = nullptr;

namespace {
const QString Confirmations = QStringLiteral("Imprentas");

QLabel* authorityLine(const QString& name, const QString& text, int pointSize, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font(QStringLiteral("Times New Roman"), pointSize, QFont::Bold);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0x10, 0x1c, 0x4a));
    label->setPalette(palette);
    return label;
}
}  // namespace

TFPrincipal::TFPrincipal(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FPrincipal"));
    setWindowTitle(QStringLiteral("Principal"));
    createPanel();
    createMenu();
    // A fixed window: the client area below the menu bar is 792 by 548.
    setFixedSize(792, 548 + menuBar()->sizeHint().height());
}

void TFPrincipal::createPanel()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(8, 8, 8, 8);

    auto* panel = new QFrame(client);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(3);
    panel->setAutoFillBackground(true);
    QPalette silver = panel->palette();
    silver.setColor(QPalette::Window, QColor(0xc0, 0xc0, 0xc0));
    panel->setPalette(silver);
    clientLayout->addWidget(panel);

    auto* emblemLabel = new QLabel(panel);
    emblemLabel->setObjectName(QStringLiteral("Image1"));
    emblemLabel->setPixmap(emblem::authority(QSize(240, 280)));
    emblemLabel->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(panel);
    layout->setSpacing(6);
    layout->addStretch(1);
    layout->addWidget(emblemLabel);
    layout->addSpacing(14);
    layout->addWidget(authorityLine(QStringLiteral("Label1"), QStringLiteral("Gobierno de la Provincia"), 26, panel));
    layout->addWidget(authorityLine(QStringLiteral("Label2"), QStringLiteral("Ministerio de Hacienda"), 20, panel));
    layout->addWidget(
        authorityLine(QStringLiteral("Label3"), QStringLiteral("Dirección de Recaudación Provincial"), 15, panel));
    layout->addStretch(1);

    setCentralWidget(client);
}

void TFPrincipal::addEntry(QWidget* menu, const QString& name, const QString& text, void (TFPrincipal::*handler)())
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    // Taking any entry lets an activation error that persists be shown once more.
    connect(action, &QAction::triggered, this, [this] { m_reportedError.clear(); });
    connect(action, &QAction::triggered, this, guarded(this, handler));
    menu->addAction(action);
}

void TFPrincipal::createMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Agente, Salir and Ayuda act right from the bar; a desktop-wide menu bar would drop them.
    bar->setNativeMenuBar(false);

    addEntry(bar, QStringLiteral("Agente1"), QStringLiteral("&Agente"), &TFPrincipal::Agente1Click);

    QMenu* clientes = bar->addMenu(QStringLiteral("Clientes"));
    clientes->setObjectName(QStringLiteral("Clientes1"));
    addEntry(clientes, QStringLiteral("Insertar1"), QStringLiteral("Insertar"), &TFPrincipal::Insertar1Click);
    addEntry(clientes, QStringLiteral("Modificar1"), QStringLiteral("Modificar"), &TFPrincipal::Modificar1Click);

    QMenu* detalle = bar->addMenu(QStringLiteral("Detalle"));
    detalle->setObjectName(QStringLiteral("Detalle1"));
    addEntry(detalle, QStringLiteral("CargarDetalle1"), QStringLiteral("Cargar Detalle / Generar Presentación"),
             &TFPrincipal::CargarDetalle1Click);
    addEntry(detalle, QStringLiteral("PresentacionesAnteriores1"), QStringLiteral("Presentaciones Anteriores"),
             &TFPrincipal::PresentacionesAnteriores1Click);
    addEntry(detalle, QStringLiteral("GenerarRectificativa1"), QStringLiteral("Generar Rectificativa"),
             &TFPrincipal::GenerarRectificativa1Click);

    QMenu* importar = bar->addMenu(QStringLiteral("Importar"));
    importar->setObjectName(QStringLiteral("Importar1"));
    addEntry(importar, QStringLiteral("ImportarClientes1"), QStringLiteral("Clientes"),
             &TFPrincipal::ImportarClientes1Click);
    addEntry(importar, QStringLiteral("ImportarDetalles1"), QStringLiteral("Detalles"),
             &TFPrincipal::ImportarDetalles1Click);

    QMenu* herramientas = bar->addMenu(QStringLiteral("Herramientas"));
    herramientas->setObjectName(QStringLiteral("Herramientas1"));
    addEntry(herramientas, QStringLiteral("RepararBase1"), QStringLiteral("Reparar Base"),
             &TFPrincipal::RepararBase1Click);
    addEntry(herramientas, QStringLiteral("VerificarDeclaracion1"), QStringLiteral("Verificar Declaración…"),
             &TFPrincipal::VerificarDeclaracion1Click);
    addEntry(herramientas, QStringLiteral("DeclaracionPdf1"), QStringLiteral("Declaración en PDF…"),
             &TFPrincipal::DeclaracionPdf1Click);
    addEntry(herramientas, QStringLiteral("CopiaSeguridad1"), QStringLiteral("Copia de Seguridad…"),
             &TFPrincipal::CopiaSeguridad1Click);
    addEntry(herramientas, QStringLiteral("RestaurarCopia1"), QStringLiteral("Restaurar Copia…"),
             &TFPrincipal::RestaurarCopia1Click);

    addEntry(bar, QStringLiteral("Salir1"), QStringLiteral("&Salir"), &TFPrincipal::Salir1Click);
    addEntry(bar, QStringLiteral("Ayuda1"), QStringLiteral("Ayuda"), &TFPrincipal::Ayuda1Click);
}

bool TFPrincipal::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate)
        runHandler([this] { FormActivate(); });
    return handled;
}

void TFPrincipal::FormActivate() { openTables(); }

void TFPrincipal::openTables()
{
    if (!DModulo)
        return;
    try {
        DModulo->AbrirTablas();
        m_reportedError.clear();
        m_repairFailed = m_wayBackTold = false;
    } catch (const store::StoreError& error) {
        if (m_repairFailed) {
            if (m_wayBackTold)
                return;
            m_wayBackTold = true;
            // Running the repair again is no advice once it has failed: the way back is a backup.
            QString text = error.text();
            text.remove(QStringLiteral(" Ejecute Herramientas / Reparar Base."));
            QString wayBack;
            try {
                wayBack = tablerepair::wayBack(DModulo->aliasFolder());
            } catch (const store::StoreError&) {
                wayBack = tablerepair::wayBack(QString());
            }
            showStandardError(store::StoreError(
                error.code(),
                text + QStringLiteral("\n\nLa reparación no pudo reconstruir todas las tablas. ") + wayBack));
            return;
        }
        if (error.text() == m_reportedError)
            return;
        m_reportedError = error.text();
        showStandardError(error);
    }
}

bool TFPrincipal::agentLoaded()
{
    if (!DModulo->TImprentas->isEmpty())
        return true;
    Prompt::current().notice(QStringLiteral("Cargue los datos de la Imprenta"));
    return false;
}

bool TFPrincipal::confirm(const QString& text)
{
    return Prompt::current().box(text, Confirmations, PromptButtons::YesNo, PromptIcon::None, PromptButton::Yes) ==
           PromptButton::Yes;
}

void TFPrincipal::Agente1Click()
{
    // An edit already in progress is shown as it stands; otherwise editing starts afresh.
    if (!DModulo->TImprentas->editing())
        DModulo->TImprentas->edit();
    showModal(*FImprenta);
}

void TFPrincipal::Insertar1Click()
{
    if (!agentLoaded())
        return;
    DModulo->TCliente->insert();
    showModal(*FClientes);
}

void TFPrincipal::Modificar1Click()
{
    if (agentLoaded())
        showModal(*FClienteMod);
}

void TFPrincipal::CargarDetalle1Click()
{
    if (agentLoaded())
        showModal(*FDetalle);
}

void TFPrincipal::PresentacionesAnteriores1Click()
{
    if (DModulo->TAnticipos->isEmpty()) {
        Prompt::current().notice(QStringLiteral("No hay Anticipos Generados"));
        return;
    }
    showModal(*FVer);
}

void TFPrincipal::GenerarRectificativa1Click() { showModal(*Frecver); }

void TFPrincipal::ImportarClientes1Click() { showModal(*FCargarcont); }

void TFPrincipal::ImportarDetalles1Click() { showModal(*Cargar); }

void TFPrincipal::RepararBase1Click()
{
    if (!confirm(QStringLiteral("Ejecutar en Caso de que la Base de Datos se encuentre Dañada. ¿Ejecutar?")))
        return;
    DModulo->CerrarTablas();
    showModal(*FReparacion);
    if (FReparacion->runFailed()) {
        m_repairFailed = true;
        m_wayBackTold = false;
    }
    openTables();
}

// The file dialog opens where the declarations go by default.
void TFPrincipal::VerificarDeclaracion1Click()
{
    QString folder;
    try {
        folder = destination::defaultFolder(DModulo->aliasFolder());
    } catch (const store::StoreError&) {
        // Without the alias the dialog opens where it would anyway.
    }
    VerifierDialog::verifyChosenFile(folder, this);
}

void TFPrincipal::DeclaracionPdf1Click()
{
    if (DModulo->TAnticipos->isEmpty()) {
        Prompt::current().notice(QStringLiteral("No hay Anticipos Generados"));
        return;
    }
    showModal(*FDeclaracionPdf);
}

// The folder of the last backup; the first time, back beside the tables.
QString TFPrincipal::lastBackupFolder()
{
    QString folder;
    try {
        folder = DModulo->config->backupFolder();
    } catch (const store::StoreError&) {
        // A configuration that cannot be read offers the default.
    }
    return folder.isEmpty() ? backup::defaultFolder(DModulo->aliasFolder()) : folder;
}

// The tables are copied as they stand, open views and all: the copy is one state of them.
void TFPrincipal::CopiaSeguridad1Click()
{
    Prompt& prompt = Prompt::current();
    const QString folder = prompt.folderName(QStringLiteral("Copia de Seguridad"), lastBackupFolder());
    if (folder.isEmpty())
        return;
    QString written;
    {
        BusyScope busy(prompt);
        written = backup::makeBackup(DModulo->aliasFolder(), folder);
    }
    try {
        DModulo->config->setBackupFolder(folder);
    } catch (const store::StoreError&) {
        // The backup is made; only the folder offered next time is not remembered.
    }
    prompt.notice(QStringLiteral("Se hizo la copia de seguridad %1").arg(QDir::toNativeSeparators(written)));
}

// The backups beside the tables first, the automatic ones with the work they preceded; any
// other file through the file dialog. Empty when the user chose none.
QString TFPrincipal::backupToRestore(Prompt& prompt)
{
    const QString caption = QStringLiteral("Restaurar Copia de Seguridad");
    const QList<backup::Found> found = backup::backupsBeside(DModulo->aliasFolder());
    if (!found.isEmpty()) {
        QList<QStringList> rows;
        for (const backup::Found& f : found) {
            QString reason =
                f.reason.isEmpty() ? QStringLiteral("hecha a mano") : QStringLiteral("automática, ") + f.reason;
            if (!f.restorable)
                reason += QStringLiteral(" (guarda tablas dañadas: no se puede restaurar)");
            rows << QStringList{QLocale().toString(f.taken, QStringLiteral("dd/MM/yyyy HH:mm:ss")), reason,
                                QDir::toNativeSeparators(QDir(DModulo->aliasFolder()).relativeFilePath(f.file))};
        }
        const PromptPick picked =
            prompt.pick({QStringLiteral("Copias de seguridad junto a las tablas, la más reciente primero:"), caption},
                        {QStringLiteral("Fecha"), QStringLiteral("Motivo"), QStringLiteral("Archivo")}, rows,
                        {QStringLiteral("&Restaurar"), QStringLiteral("&Otro archivo…")});
        if (picked.choice == 0 && picked.row >= 0 && picked.row < found.size())
            return found[picked.row].file;
        if (picked.choice != 1)
            return {};
    }
    return prompt.openFileName(caption, lastBackupFolder(),
                               QStringLiteral("Copias de seguridad (*.zip);;Todos los archivos (*)"));
}

// The views are closed while the files change under them and opened again whatever came of it.
void TFPrincipal::RestaurarCopia1Click()
{
    Prompt& prompt = Prompt::current();
    const QString zipFile = backupToRestore(prompt);
    if (zipFile.isEmpty())
        return;
    const QString folder = DModulo->aliasFolder();
    DModulo->CerrarTablas();
    backup::RestoreOutcome outcome;
    try {
        outcome = backup::restoreBackup(folder, zipFile, prompt);
    } catch (...) {
        openTables();
        throw;
    }
    openTables();
    if (!outcome.restored)
        return;
    QString text = QStringLiteral("Se restauró la copia de seguridad %1.").arg(QDir::toNativeSeparators(zipFile));
    if (!outcome.previous.isEmpty())
        text += QStringLiteral(" Las tablas que había quedaron en la copia %1.")
                    .arg(QDir::toNativeSeparators(outcome.previous));
    prompt.notice(text);
}

void TFPrincipal::Salir1Click()
{
    if (confirm(QStringLiteral("¿Desea Salir del Programa?")))
        close();
}

void TFPrincipal::Ayuda1Click() { showModal(*FAcerca); }
