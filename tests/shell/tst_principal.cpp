#include "PrincipalFixture.h"
#include "imports/windows/Carga.h"
#include "shell/windows/Acerca_de.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>

Q_DECLARE_METATYPE(store::DatasetState)

// The main window over a data folder of its own: start-up, the menu, its gates and the
// activation that opens the views. Dialogs are not run; the modal handler records them.
class TestPrincipal : public QObject, private MainWindowFixture {
    Q_OBJECT

private slots:
    void init() { openWindows(); }
    void cleanup() { closeWindows(); }

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
