#include "DataFolder.h"
#include "ScriptedPrompt.h"
#include "backup/Backup.h"
#include "data/UModulo.h"
#include "imports/windows/Carga.h"
#include "maintenance/windows/UReparar.h"
#include "shell/windows/Acerca_de.h"
#include "shell/windows/Principal.h"
#include "shell/windows/Startup.h"
#include "widgets/ModalDialog.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

Q_DECLARE_METATYPE(PromptButton)
Q_DECLARE_METATYPE(store::DatasetState)

// The main window over a data folder of its own: start-up, the menu, its gates and the
// activation that opens the views. Dialogs are not run; the modal handler records them.
class TestPrincipal : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<DataFolder> m_folder;
    QStringList m_dialogs;                       // shown, by objectName
    std::function<void(QDialog&)> m_whileShown;  // checks made while a dialog is up

    static void trigger(const QString& action)
    {
        auto* a = FPrincipal->findChild<QAction*>(action);
        QVERIFY2(a, qPrintable(action));
        a->trigger();
    }

    static QList<bool> standingViewsOpen()
    {
        const TDModulo& m = *DModulo;
        return {m.TImprentas->active(),   m.TCliente->active(),     m.TDetalles->active(),  m.QMaximo->active(),
                m.QAnt->active(),         m.TVerDetalles->active(), m.TAnticipos->active(), m.TMaquinas->active(),
                m.TVerMaquinas->active(), m.TFormulario->active()};
    }

    static void saveAgentAndPeriod()
    {
        store::Dataset* agent = DModulo->TImprentas;
        agent->edit();
        agent->setText(QStringLiteral("Nombre"), QStringLiteral("Imprenta del Sol"));
        agent->post();
        store::Dataset* period = DModulo->TAnticipos;
        period->insert();
        period->setText(QStringLiteral("Anio"), QStringLiteral("2016"));
        period->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
        period->post();
    }

private slots:
    void init()
    {
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_folder = std::make_unique<DataFolder>();
        m_dialogs.clear();
        m_whileShown = {};
        setModalHandler([this](QDialog& dialog) {
            m_dialogs << dialog.objectName();
            if (m_whileShown)
                m_whileShown(dialog);
            return int(QDialog::Rejected);
        });
        createForms(&m_folder->config());
        DModulo->AbrirTablas();  // what the first activation does
    }

    void cleanup()
    {
        destroyForms();
        setModalHandler({});
        m_folder.reset();
        m_prompt.reset();
    }

    // The main window and the data module are made at start; each other window the first time
    // it is used, once, whatever the order of use.
    void startup()
    {
        const QStringList order{
            "FPrincipal",      "DModulo", "FImprenta",    "FClienteMod",   "FDetalle",    "FClientes", "FCDetalles",
            "FPresentaciones", "FVer",    "FVerDetalles", "FAcerca",       "FGMaquina",   "FAnular",   "QReporte",
            "FReparacion",     "Frecver", "FGenRec",      "FAnulaMaquina", "FCargarcont", "Cargar",    "AyCarga"};
        QCOMPARE(creationOrder(), order.mid(0, 2));
        QList<QObject*> built;
        for (const QString& name : order) {
            built << instance(name);
            QVERIFY2(built.last(), qPrintable(name));
            QCOMPARE(built.last()->objectName(), name);
        }
        QCOMPARE(creationOrder(), order);
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(instance(order[i]), built[i]);
        QCOMPARE(creationOrder(), order);
    }

    void windowsBuiltOnFirstUse()
    {
        trigger(QStringLiteral("Ayuda1"));
        trigger(QStringLiteral("ImportarDetalles1"));
        trigger(QStringLiteral("Ayuda1"));
        QCOMPARE(m_dialogs, (QStringList{"FAcerca", "Cargar", "FAcerca"}));
        QCOMPARE(creationOrder(), (QStringList{"FPrincipal", "DModulo", "FAcerca", "Cargar"}));
        QCOMPARE(FAcerca.built()->parentWidget(), FPrincipal);

        // Taken down in the reverse order, and not built again by what the teardown touches.
        QPointer<QObject> acerca = FAcerca.built(), cargar = Cargar.built();
        destroyForms();
        QVERIFY(!acerca && !cargar);
        QVERIFY(!instance(QStringLiteral("FAcerca")));
        QVERIFY(!FAcerca.built() && !Cargar.built() && !FPrincipal && !DModulo);
        QVERIFY(creationOrder().isEmpty());
    }

    void windowTitles_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::newRow("FPrincipal") << "FPrincipal"
                                    << "Principal";
        QTest::newRow("FImprenta") << "FImprenta"
                                   << "Datos del Agente";
        QTest::newRow("FClienteMod") << "FClienteMod"
                                     << "Clientes";
        QTest::newRow("FDetalle") << "FDetalle"
                                  << "Detalle de Presentación";
        QTest::newRow("FClientes") << "FClientes"
                                   << "Datos del Cliente";
        QTest::newRow("FCDetalles") << "FCDetalles"
                                    << "Detalles";
        QTest::newRow("FPresentaciones") << "FPresentaciones"
                                         << "Presentaciones";
        QTest::newRow("FVer") << "FVer"
                              << "Presentaciones Anteriores";
        QTest::newRow("FVerDetalles") << "FVerDetalles"
                                      << "Anticipo";
        QTest::newRow("FAcerca") << "FAcerca"
                                 << "Acerca de";
        QTest::newRow("FGMaquina") << "FGMaquina"
                                   << "Cargar detalle de Maquina";
        QTest::newRow("FAnular") << "FAnular"
                                 << "Rectificativa";
        QTest::newRow("FReparacion") << "FReparacion"
                                     << "Reparación de Tablas";
        QTest::newRow("Frecver") << "Frecver"
                                 << "Rectificativa";
        QTest::newRow("FGenRec") << "FGenRec"
                                 << "Rectificativa";
        QTest::newRow("FAnulaMaquina") << "FAnulaMaquina"
                                       << "Rectificativa";
        QTest::newRow("FCargarcont") << "FCargarcont"
                                     << "Importación de Padrón de Clientes";
        QTest::newRow("Cargar") << "Cargar"
                                << "Importación de Detalle de Formularios";
        QTest::newRow("AyCarga") << "AyCarga"
                                 << "Ayuda";
    }

    void windowTitles()
    {
        QFETCH(QString, window);
        QFETCH(QString, title);
        auto* w = qobject_cast<QWidget*>(instance(window));
        QVERIFY(w);
        if (window != QLatin1String("FPrincipal"))
            QCOMPARE(w->parentWidget(), FPrincipal);
        QCOMPARE(w->windowTitle(), title);
        QVERIFY(!w->isVisible());
    }

    void menu_data()
    {
        QTest::addColumn<QString>("menu");  // empty: the menu bar itself
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("submenus");
        QTest::newRow("bar") << "" << QStringList{"&Agente",      "Clientes", "Detalle", "Importar",
                                                  "Herramientas", "&Salir",   "Ayuda"}
                             << QStringList{"Clientes", "Detalle", "Importar", "Herramientas"};
        QTest::newRow("Clientes") << "Clientes1" << QStringList{"Insertar", "Modificar"} << QStringList{};
        QTest::newRow("Detalle") << "Detalle1"
                                 << QStringList{"Cargar Detalle / Generar Presentación", "Presentaciones Anteriores",
                                                "Generar Rectificativa"}
                                 << QStringList{};
        QTest::newRow("Importar") << "Importar1" << QStringList{"Clientes", "Detalles"} << QStringList{};
        QTest::newRow("Herramientas") << "Herramientas1"
                                      << QStringList{"Reparar Base", "Verificar Declaración…", "Declaración en PDF…",
                                                     "Copia de Seguridad…", "Restaurar Copia…"}
                                      << QStringList{};
    }

    void menu()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, submenus);
        QWidget* owner = menu.isEmpty() ? static_cast<QWidget*>(FPrincipal->menuBar())
                                        : FPrincipal->menuBar()->findChild<QMenu*>(menu);
        QVERIFY(owner);
        QStringList texts, withMenu;
        for (const QAction* a : owner->actions()) {
            texts << a->text();
            if (a->menu())
                withMenu << a->text();
        }
        QCOMPARE(texts, entries);
        QCOMPARE(withMenu, submenus);
    }

    void menuEntries_data()
    {
        QTest::addColumn<bool>("agentAndPeriod");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<store::DatasetState>("clientState");

        const QString noAgent = QStringLiteral("Cargue los datos de la Imprenta");
        const QString noPeriod = QStringLiteral("No hay Anticipos Generados");
        const auto browse = store::DatasetState::Browse;
        QTest::newRow("Insertar, no agent") << false << "Insertar1" << noAgent << "" << browse;
        QTest::newRow("Modificar, no agent") << false << "Modificar1" << noAgent << "" << browse;
        QTest::newRow("Cargar Detalle, no agent") << false << "CargarDetalle1" << noAgent << "" << browse;
        QTest::newRow("Presentaciones Anteriores, no period")
            << false << "PresentacionesAnteriores1" << noPeriod << "" << browse;
        QTest::newRow("Generar Rectificativa, no gate") << false << "GenerarRectificativa1"
                                                        << ""
                                                        << "Frecver" << browse;
        QTest::newRow("Importar Clientes, no gate") << false << "ImportarClientes1"
                                                    << ""
                                                    << "FCargarcont" << browse;
        QTest::newRow("Importar Detalles, no gate") << false << "ImportarDetalles1"
                                                    << ""
                                                    << "Cargar" << browse;
        QTest::newRow("Ayuda") << false << "Ayuda1"
                               << ""
                               << "FAcerca" << browse;
        QTest::newRow("Insertar") << true << "Insertar1"
                                  << ""
                                  << "FClientes" << store::DatasetState::Insert;
        QTest::newRow("Modificar") << true << "Modificar1"
                                   << ""
                                   << "FClienteMod" << browse;
        QTest::newRow("Cargar Detalle") << true << "CargarDetalle1"
                                        << ""
                                        << "FDetalle" << browse;
        QTest::newRow("Presentaciones Anteriores") << true << "PresentacionesAnteriores1"
                                                   << ""
                                                   << "FVer" << browse;
    }

    void menuEntries()
    {
        QFETCH(bool, agentAndPeriod);
        QFETCH(QString, action);
        QFETCH(QString, notice);
        QFETCH(QString, dialog);
        QFETCH(store::DatasetState, clientState);
        if (agentAndPeriod)
            saveAgentAndPeriod();

        store::DatasetState stateWhileShown = store::DatasetState::Inactive;
        m_whileShown = [&](QDialog&) { stateWhileShown = DModulo->TCliente->state(); };
        trigger(action);

        QCOMPARE(m_dialogs, dialog.isEmpty() ? QStringList{} : QStringList{dialog});
        QCOMPARE(m_prompt->texts(), notice.isEmpty() ? QStringList{} : QStringList{notice});
        if (!notice.isEmpty()) {
            QCOMPARE(m_prompt->last().caption, Prompt::applicationTitle());
            QCOMPARE(m_prompt->last().buttons, PromptButtons::Ok);
            QCOMPARE(m_prompt->last().icon, PromptIcon::None);
        } else {
            QCOMPARE(stateWhileShown, clientState);
        }
        if (clientState == store::DatasetState::Browse)
            QVERIFY(!DModulo->TCliente->editing());
    }

    void agente_data()
    {
        QTest::addColumn<QString>("before");  // empty table, a new row pending, a saved row
        QTest::addColumn<store::DatasetState>("state");
        QTest::addColumn<QString>("nombre");
        QTest::newRow("empty table") << "empty" << store::DatasetState::Insert << "";
        QTest::newRow("new row pending") << "pending" << store::DatasetState::Insert << "Imprenta del Sol";
        QTest::newRow("saved row") << "saved" << store::DatasetState::Edit << "Imprenta del Sol";
    }

    void agente()
    {
        QFETCH(QString, before);
        QFETCH(store::DatasetState, state);
        QFETCH(QString, nombre);
        store::Dataset* agent = DModulo->TImprentas;
        if (before != QLatin1String("empty")) {
            agent->edit();
            agent->setText(QStringLiteral("Nombre"), QStringLiteral("Imprenta del Sol"));
            if (before == QLatin1String("saved"))
                agent->post();
        }

        QStringList flags;
        store::DatasetState stateWhileShown = store::DatasetState::Inactive;
        QString nombreWhileShown;
        m_whileShown = [&](QDialog&) {
            stateWhileShown = agent->state();
            nombreWhileShown = agent->text(QStringLiteral("Nombre"));
            for (const char* flag : {"Imprentas", "VMR", "Autoimpresores"})
                flags << agent->text(QString::fromLatin1(flag));
        };
        trigger(QStringLiteral("Agente1"));

        QCOMPARE(m_dialogs, QStringList{"FImprenta"});
        QCOMPARE(stateWhileShown, state);
        QCOMPARE(nombreWhileShown, nombre);
        QCOMPARE(flags, (QStringList{"N", "N", "N"}));
        QVERIFY(m_prompt->shown().isEmpty());
    }

    void repararBase_data()
    {
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<bool>("repairs");
        QTest::newRow("Yes") << PromptButton::Yes << true;
        QTest::newRow("No") << PromptButton::No << false;
        QTest::newRow("box closed") << PromptButton::None << false;
    }

    void repararBase()
    {
        QFETCH(PromptButton, answer);
        QFETCH(bool, repairs);
        const QList<bool> allOpen(10, true), allClosed(10, false);
        QList<bool> whileShown;
        m_whileShown = [&](QDialog&) { whileShown = standingViewsOpen(); };
        m_prompt->answer(answer);

        trigger(QStringLiteral("RepararBase1"));

        QCOMPARE(m_prompt->shown().size(), 1);
        const PromptMessage box = m_prompt->last();
        QCOMPARE(box.text, QStringLiteral("Ejecutar en Caso de que la Base de Datos se encuentre Dañada. ¿Ejecutar?"));
        QCOMPARE(box.caption, QStringLiteral("Imprentas"));
        QCOMPARE(box.buttons, PromptButtons::YesNo);
        QCOMPARE(box.icon, PromptIcon::None);
        QCOMPARE(box.defaultButton, PromptButton::Yes);
        QCOMPARE(m_dialogs, repairs ? QStringList{"FReparacion"} : QStringList{});
        if (repairs)
            QCOMPARE(whileShown, allClosed);
        QCOMPARE(standingViewsOpen(), allOpen);
    }

    // The folder dialog offers back/ beside the tables, then the folder last used; the backup
    // goes there with the views left open.
    void copiaSeguridad()
    {
        saveAgentAndPeriod();
        const QString tables = DModulo->aliasFolder();
        const QString chosen = m_folder->file(QStringLiteral("copias"));
        m_prompt->answerFile(chosen);
        trigger(QStringLiteral("CopiaSeguridad1"));
        m_prompt->answerFile(QString());  // cancelled: nothing is written
        trigger(QStringLiteral("CopiaSeguridad1"));

        QCOMPARE(m_prompt->fileFolders(), (QStringList{QDir(tables).filePath(QStringLiteral("back")), chosen}));
        const QStringList zips = QDir(chosen).entryList({QStringLiteral("*.zip")}, QDir::Files);
        QCOMPARE(zips.size(), 1);
        QCOMPARE(m_prompt->texts(), (QStringList{QString(),
                                                 QStringLiteral("Se hizo la copia de seguridad ") +
                                                     QDir::toNativeSeparators(QDir(chosen).filePath(zips.first())),
                                                 QString()}));
        QCOMPARE(backup::readBackup(QDir(chosen).filePath(zips.first())).lastPeriod, QStringLiteral("03/2016"));
        QCOMPARE(standingViewsOpen(), QList<bool>(10, true));
    }

    // The views are closed while the question is shown and open again after, on the restored
    // rows, on a refused file and on No alike.
    void restaurarCopia_data()
    {
        QTest::addColumn<bool>("sound");
        QTest::addColumn<PromptButton>("answer");
        QTest::newRow("Yes") << true << PromptButton::Yes;
        QTest::newRow("No") << true << PromptButton::No;
        QTest::newRow("not a backup") << false << PromptButton::None;
    }

    void restaurarCopia()
    {
        QFETCH(bool, sound);
        QFETCH(PromptButton, answer);
        saveAgentAndPeriod();
        const QString zipFile = backup::makeBackup(DModulo->aliasFolder(), m_folder->file(QStringLiteral("copias")));
        DModulo->TAnticipos->first();
        DModulo->TAnticipos->remove();
        QVERIFY(DModulo->TAnticipos->isEmpty());
        const QString bad = m_folder->file(QStringLiteral("no-es.zip"));
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("no es una copia");
        file.close();

        QList<bool> whileAsked;
        m_prompt->answerFile(sound ? zipFile : bad);
        if (sound) {
            m_prompt->whileNextShown([&] { whileAsked = standingViewsOpen(); });
            m_prompt->answer(answer);
        }
        trigger(QStringLiteral("RestaurarCopia1"));

        const QList<PromptMessage> shown = m_prompt->shown();
        QCOMPARE(shown.first().caption, QStringLiteral("Restaurar Copia de Seguridad"));
        QCOMPARE(m_prompt->fileFolders(), QStringList{QDir(DModulo->aliasFolder()).filePath(QStringLiteral("back"))});
        QCOMPARE(standingViewsOpen(), QList<bool>(10, true));
        if (!sound) {
            QCOMPARE(shown.size(), 2);
            QCOMPARE(shown.last().icon, PromptIcon::Error);
            QVERIFY2(shown.last().text.contains(QStringLiteral("no es una copia de seguridad")),
                     qPrintable(shown.last().text));
            QVERIFY(DModulo->TAnticipos->isEmpty());
            return;
        }
        QCOMPARE(whileAsked, QList<bool>(10, false));
        QCOMPARE(shown[1].buttons, PromptButtons::YesNo);
        QVERIFY2(shown[1].text.contains(QStringLiteral("Último anticipo presentado: 03/2016")),
                 qPrintable(shown[1].text));
        const bool restored = answer == PromptButton::Yes;
        QCOMPARE(shown.size(), restored ? 3 : 2);
        if (restored)
            QVERIFY2(shown.last().text.startsWith(QStringLiteral("Se restauró la copia de seguridad")),
                     qPrintable(shown.last().text));
        QCOMPARE(DModulo->TAnticipos->isEmpty(), !restored);
    }

    void restaurarCopiaFromTheList_data()
    {
        QTest::addColumn<int>("choice");  // 0: Restaurar, 1: Otro archivo…, -1: the list closed
        QTest::newRow("the automatic copy restored") << 0;
        QTest::newRow("another file asked for") << 1;
        QTest::newRow("closed") << -1;
    }

    // The backups beside the tables are listed newest first, each automatic copy with the work
    // it preceded; the one picked is restored, and "Otro archivo…" opens the file dialog.
    void restaurarCopiaFromTheList()
    {
        QFETCH(int, choice);
        saveAgentAndPeriod();
        const QString folder = DModulo->aliasFolder();
        backup::makeBackup(folder, backup::defaultFolder(folder));
        backup::makeSafetyCopy(folder, backup::Work::Import);
        DModulo->TAnticipos->first();
        DModulo->TAnticipos->remove();

        m_prompt->answerPick(choice, 0);
        if (choice == 0)
            m_prompt->answer(PromptButton::Yes);
        if (choice == 1)
            m_prompt->answerFile(QString());
        trigger(QStringLiteral("RestaurarCopia1"));

        const QList<PromptMessage> shown = m_prompt->shown();
        QCOMPARE(shown.first().caption, QStringLiteral("Restaurar Copia de Seguridad"));
        const QStringList rows = shown.first().text.split(QLatin1Char('\n')).mid(1);
        QCOMPARE(rows.size(), 2);
        QVERIFY2(rows[0].contains(QStringLiteral("automática, antes de una importación")), qPrintable(rows[0]));
        QVERIFY2(rows[1].contains(QStringLiteral("hecha a mano")), qPrintable(rows[1]));
        QCOMPARE(shown.size(), choice == 0 ? 3 : 1 + (choice == 1));
        if (choice == 1)
            QCOMPARE(m_prompt->fileFolders(), QStringList{backup::defaultFolder(folder)});
        QCOMPARE(DModulo->TAnticipos->isEmpty(), choice != 0);
        QCOMPARE(standingViewsOpen(), QList<bool>(10, true));
    }

    // The file dialog opens on the declarations' folder; the window shows what the verifier found,
    // a summary or the faults; no file chosen, no window.
    void verificarDeclaracion_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // empty: the file dialog is cancelled
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("detail");
        const QByteArray good =
            "TARVENIOV1.2\r\nK8<EA\r\n'000','2005','03','0';\r\n"
            "'010','20123456786','IMPRENTA','S','N','N','','','','','';\r\nEof\r\n";
        QTest::newRow("a sound file") << good << "La declaración es correcta."
                                      << "Clientes: 0";
        QTest::newRow("a file cut short") << good.left(good.size() - 5) << "La declaración tiene un error."
                                          << "Línea 4: falta la línea Eof al final";
        QTest::newRow("cancelled") << QByteArray() << ""
                                   << "";
    }

    void verificarDeclaracion()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, verdict);
        QFETCH(QString, detail);
        const QString path = m_folder->file(QStringLiteral("20123456786200503.imp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        m_prompt->answerFile(bytes.isEmpty() ? QString() : path);
        QString shownVerdict, shownText;
        m_whileShown = [&](QDialog& dialog) {
            shownVerdict = dialog.findChild<QLabel*>(QStringLiteral("Label2"))->text();
            shownText = dialog.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
        };
        trigger(QStringLiteral("VerificarDeclaracion1"));
        QCOMPARE(m_dialogs, bytes.isEmpty() ? QStringList() : QStringList{"FVerificar"});
        QCOMPARE(m_prompt->fileFolders(),
                 QStringList{QDir::toNativeSeparators(QDir(DModulo->aliasFolder()).filePath(QStringLiteral("ddjj")))});
        QCOMPARE(shownVerdict, verdict);
        QVERIFY2(shownText.contains(detail), qPrintable(shownText));
    }

    void salir_data()
    {
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<bool>("running");
        QTest::newRow("Yes") << PromptButton::Yes << false;
        QTest::newRow("No") << PromptButton::No << true;
    }

    void salir()
    {
        QFETCH(PromptButton, answer);
        QFETCH(bool, running);
        FPrincipal->show();
        QVERIFY(QTest::qWaitForWindowExposed(FPrincipal));
        m_prompt->clear();
        m_prompt->answer(answer);

        trigger(QStringLiteral("Salir1"));

        QCOMPARE(m_prompt->texts(), QStringList{"¿Desea Salir del Programa?"});
        QCOMPARE(m_prompt->last().caption, QStringLiteral("Imprentas"));
        QCOMPARE(m_prompt->last().buttons, PromptButtons::YesNo);
        QCOMPARE(m_prompt->last().defaultButton, PromptButton::Yes);
        QCOMPARE(FPrincipal->isVisible(), running);
    }

    void closeBoxAsksNothing()
    {
        FPrincipal->show();
        QVERIFY(QTest::qWaitForWindowExposed(FPrincipal));
        m_prompt->clear();
        QVERIFY(FPrincipal->close());
        QVERIFY(m_prompt->shown().isEmpty());
    }

    void activationOpensViews()
    {
        DModulo->CerrarTablas();
        FPrincipal->show();
        QVERIFY(QTest::qWaitForWindowActive(FPrincipal));
        QTRY_COMPARE(standingViewsOpen(), QList<bool>(10, true));
    }

    // Closing the error box activates the main window again; the same error must not come
    // back until the user does something.
    void activationErrorShownOnce()
    {
        destroyForms();
        QFile damaged(m_folder->file(QStringLiteral("tablas/imprenta.db")));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(QByteArray(4096, '\x5a'));
        damaged.close();
        createForms(&m_folder->config());
        m_prompt->clear();

        FPrincipal->FormActivate();
        FPrincipal->FormActivate();
        QCOMPARE(m_prompt->shown().size(), 1);
        const PromptMessage error = m_prompt->last();
        QVERIFY(!error.text.isEmpty());
        QCOMPARE(error.caption, Prompt::applicationTitle());
        QCOMPARE(error.icon, PromptIcon::Error);

        trigger(QStringLiteral("Ayuda1"));
        FPrincipal->FormActivate();
        FPrincipal->FormActivate();
        QCOMPARE(m_prompt->texts(), (QStringList{error.text, error.text}));
    }

    // A repair that cannot rebuild every table names the restore as the way back, once: coming
    // back to the window repeats nothing until another repair fails.
    void failedRepairTellsTheWayBackOnce()
    {
        destroyForms();
        QFile damaged(m_folder->file(QStringLiteral("tablas/Maquina.DB")));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(QByteArray(8192, 'x'));
        damaged.close();
        createForms(&m_folder->config());
        FPrincipal->FormActivate();
        QVERIFY(m_prompt->last().text.contains(QStringLiteral("Reparar Base")));
        m_prompt->clear();
        m_whileShown = [](QDialog& dialog) {
            if (dialog.objectName() != QLatin1String("FReparacion"))
                return;
            FReparacion->FormShow();
            try {
                FReparacion->BitBtn1Click();
            } catch (const store::StoreError&) {
                // the run stopped at a table; what was done counts as a failed run
            }
            FReparacion->FormClose();
        };
        const auto wayBackTold = [this] {
            return int(m_prompt->texts().filter(QStringLiteral("Herramientas / Restaurar Copia…")).size());
        };
        const auto repair = [this] {
            m_prompt->answer(PromptButton::Yes);
            trigger(QStringLiteral("RepararBase1"));
        };

        repair();
        QCOMPARE(wayBackTold(), 1);
        QVERIFY(m_prompt->texts().filter(QStringLiteral("Ejecute Herramientas / Reparar Base")).isEmpty());
        for (const char* entry : {"Ayuda1", "ImportarClientes1"}) {
            trigger(QString::fromLatin1(entry));
            FPrincipal->FormActivate();
        }
        QCOMPARE(wayBackTold(), 1);
        repair();
        QCOMPARE(wayBackTold(), 2);
    }

    void aboutBoxClosesOnEnter()
    {
        FAcerca->show();
        QVERIFY(QTest::qWaitForWindowExposed(FAcerca));
        auto* ok = FAcerca->findChild<QPushButton*>(QStringLiteral("OKButton"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("&OK"));
        QTest::keyClick(FAcerca, Qt::Key_Return);
        QVERIFY(!FAcerca->isVisible());
        QCOMPARE(FAcerca->result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestPrincipal)
#include "tst_principal.moc"
