#include "DataFolder.h"
#include "Keyboard.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "shell/PickLists.h"
#include "shell/windows/Startup.h"
#include "shell/windows/UClientes.h"
#include "shell/windows/UClientesMod.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/ModalDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QTest>
#include <functional>
#include <memory>

using store::DatasetState;

Q_DECLARE_METATYPE(PromptButton)

namespace {
const QString Missing = QStringLiteral("Faltan Datos Obligatorios");
const QString Saved = QStringLiteral("Los Datos se Guardaron Correctamente");
const QString Duplicate = QStringLiteral("Ya existe un Contribuyente con ese C.U.I.T.");
const QString Invalid = QStringLiteral("C.U.I.T. Inválido");
const QString Confirm = QStringLiteral("¿Desea Elinar el Cliente?");
const QString HasDetails = QStringLiteral("Existen Detalles Asociados al Cliente");

using keyboard::focusedName;
using keyboard::typeAndEnter;

store::Dataset* clients() { return DModulo->TCliente; }

int addClient(const QString& cuit, const QString& name)
{
    clients()->insert();
    clients()->setText(QStringLiteral("Cuit"), cuit);
    clients()->setText(QStringLiteral("Razon_Social"), name);
    clients()->setText(QStringLiteral("Domicilio"), QStringLiteral("CALLE 1"));
    clients()->setText(QStringLiteral("Codigo_Postal"), QStringLiteral("2000"));
    clients()->post();
    return clients()->asInteger(QStringLiteral("Id_cliente"));
}

QStringList cuits()
{
    QStringList list;
    for (int i = 0; i < clients()->recordCount(); ++i)
        list << clients()->textAt(i, QStringLiteral("Cuit"));
    return list;
}

void showDialog(QDialog* dialog)
{
    QVERIFY(keyboard::showActive(*dialog));  // as the modal loop would; another dialog may be active
    QTRY_COMPARE(QApplication::activeWindow(), dialog);
}

// Valid C.U.I.T.s in ascending order.
const QString CuitA = QStringLiteral("20000000001");
const QString CuitB = QStringLiteral("20123456786");
const QString CuitC = QStringLiteral("30000000007");
}  // namespace

// The client dialog and the client list, driven from the keyboard over a data folder of
// their own. The client dialog, when the list opens it, runs inside the modal handler.
class TestClientes : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<DataFolder> m_folder;
    QStringList m_dialogs;
    std::function<void(QDialog&)> m_whileShown;

    template <typename T>
    static T* control(QWidget* dialog, const char* name)
    {
        T* c = dialog->findChild<T*>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }

    // From the control that has the focus, one text per control in tab order (Razón Social,
    // Cuit, N° Inscripción, Domicilio, Codigo Postal, Provincia, Localidad), then Enter on
    // "Aceptar".
    static void typeClient(const QStringList& typed)
    {
        for (const QString& text : typed)
            typeAndEnter(text);
        QCOMPARE(focusedName(), QStringLiteral("BitBtn1"));
        keyboard::press(Qt::Key_Return);
    }

    static DBGrid* grid() { return control<DBGrid>(FClienteMod, "DBGrid1"); }

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
            // A dialog the test did not close is closed as by its close box.
            if (dialog.isVisible())
                dialog.close();
            return dialog.result();
        });
        createForms(&m_folder->config());
        DModulo->AbrirTablas();
    }

    void cleanup()
    {
        destroyForms();
        setModalHandler({});
        m_folder.reset();
        m_prompt.reset();
    }

    void layout()
    {
        QCOMPARE(FClientes->size(), QSize(528, 394));
        QCOMPARE(FClientes->minimumSize(), FClientes->maximumSize());
        QVERIFY(!FClientes->windowIcon().isNull());
        QCOMPARE(FClienteMod->size(), QSize(593, 318));
        QCOMPARE(FClienteMod->minimumSize(), FClienteMod->maximumSize());
        QCOMPARE(control<QGroupBox>(FClientes, "GroupBox1")->title(), QStringLiteral("Clientes"));
        auto* direccion = control<QGroupBox>(FClientes, "GroupBox2");
        QCOMPARE(direccion->title(), QStringLiteral("Dirección"));
        for (const char* name : {"DBEdit4", "DBEdit5", "DBComboBox1", "DBComboBox2"})
            QVERIFY2(direccion->isAncestorOf(control<QWidget>(FClientes, name)), name);
        QCOMPARE(control<DBComboBox>(FClientes, "DBComboBox1")->count(), picklists::provinces().size());
        QCOMPARE(control<DBComboBox>(FClientes, "DBComboBox2")->itemText(0), picklists::localities().first());
        QCOMPARE(control<QGroupBox>(FClienteMod, "GroupBox1")->title(), QStringLiteral("Borrar/Modificar Clientes"));
        QVERIFY(control<QGroupBox>(FClienteMod, "GroupBox1")->isAncestorOf(grid()));

        QStringList titles;
        for (int c = 0; c < grid()->model()->columnCount(); ++c)
            titles << grid()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"Cuit", "Razon Social", " N° Inscripcion", "Domicilio", "Localidad",
                                      "Codigo Postal", "Provincia"}));
        QStringList buttons;
        for (const char* name : {"BitBtn1", "BitBtn2", "BitBtn3"}) {
            auto* b = control<QAbstractButton>(FClienteMod, name);
            QVERIFY(!b->icon().isNull());
            buttons << b->text();
        }
        QCOMPARE(buttons, (QStringList{"Modificar", "Borrar", "Volver"}));
    }

    void tabOrder_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("order");  // from the control that has the focus on opening
        QTest::newRow("client") << "FClientes"
                                << QStringList{"DBEdit1",     "DBEdit2",     "DBEdit3", "DBEdit4", "DBEdit5",
                                               "DBComboBox1", "DBComboBox2", "BitBtn1", "BitBtn2", "DBEdit1"};
        QTest::newRow("list") << "FClienteMod" << QStringList{"DBGrid1", "BitBtn1", "BitBtn2", "BitBtn3", "DBGrid1"};
    }

    void tabOrder()
    {
        QFETCH(QString, dialog);
        QFETCH(QStringList, order);
        if (dialog == QLatin1String("FClientes"))
            clients()->insert();
        showDialog(dialog == QLatin1String("FClientes") ? static_cast<QDialog*>(FClientes) : FClienteMod);
        QStringList visited{focusedName()};
        for (int i = 1; i < order.size(); ++i) {
            keyboard::press(Qt::Key_Tab);
            visited << focusedName();
        }
        QCOMPARE(visited, order);
    }

    // "Clientes / Insertar": a new row, the dialog typed through with Enter.
    void save_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("notice");
        const QStringList all{"la esquina srl", CuitB, "0212345", "san martin 12", "2000", "SANTA FE", "ROSARIO"};
        auto without = [&](int i) {
            QStringList t = all;
            t[i].clear();
            return t;
        };
        QTest::newRow("everything") << all << Saved;
        QTest::newRow("no Inscripcion, Provincia, Localidad")
            << QStringList{all[0], all[1], "", all[3], all[4], "", ""} << Saved;
        QTest::newRow("no Razon Social") << without(0) << Missing;
        QTest::newRow("no Cuit") << without(1) << Missing;
        QTest::newRow("no Domicilio") << without(3) << Missing;
        QTest::newRow("no Codigo Postal") << without(4) << Missing;
        QTest::newRow("nothing: one notice") << QStringList(7) << Missing;
    }

    void save()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, notice);
        clients()->insert();
        showDialog(FClientes);
        QCOMPARE(focusedName(), QStringLiteral("DBEdit1"));
        typeClient(typed);

        QCOMPARE(m_prompt->texts(), QStringList{notice});
        QCOMPARE(m_prompt->last().caption, Prompt::applicationTitle());
        if (notice == Missing) {
            QVERIFY(FClientes->isVisible());
            QCOMPARE(clients()->state(), DatasetState::Insert);
            QVERIFY(clients()->isEmpty());
            return;
        }
        QVERIFY(!FClientes->isVisible());
        QCOMPARE(clients()->state(), DatasetState::Browse);
        QCOMPARE(clients()->recordCount(), 1);
        const QStringList fields{"Razon_Social",  "Cuit",      "Inscripcion", "Domicilio",
                                 "Codigo_Postal", "Provincia", "Localidad"};
        for (int i = 0; i < fields.size(); ++i)
            QCOMPARE(clients()->text(fields[i]), i == 0 || i == 3 ? typed[i].toUpper() : typed[i]);
    }

    // Refused when the box is left: the message, the field unchanged, the focus kept there.
    void invalidCuit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("wrong check digit") << "20123456785";
        QTest::newRow("with dashes") << "20-12345678-6";
        QTest::newRow("eleven zeros") << "00000000000";
        QTest::newRow("a letter") << "2012345678A";
        QTest::newRow("ten digits") << "2012345678";
    }

    void invalidCuit()
    {
        QFETCH(QString, typed);
        clients()->insert();
        showDialog(FClientes);
        typeAndEnter(QStringLiteral("la esquina"));
        typeAndEnter(typed);
        QCOMPARE(m_prompt->texts(), QStringList{Invalid});
        QCOMPARE(m_prompt->last().caption, QStringLiteral("Brosmera"));
        QCOMPARE(m_prompt->last().icon, PromptIcon::None);
        QCOMPARE(clients()->text(QStringLiteral("Cuit")), QString());
        QTRY_COMPARE(focusedName(), QStringLiteral("DBEdit2"));
        auto* cuit = control<DBEdit>(FClientes, "DBEdit2");
        QCOMPARE(cuit->text(), typed);

        // Corrected in place, the client is saved.
        m_prompt->clear();
        cuit->selectAll();
        typeClient({CuitB, "", "mitre 1", "2000", "", ""});
        QCOMPARE(m_prompt->texts(), QStringList{Saved});
        QCOMPARE(cuits(), QStringList{CuitB});
    }

    void duplicateKeepsDialogOpen()
    {
        addClient(CuitB, QStringLiteral("PRIMERO"));
        clients()->insert();
        showDialog(FClientes);
        typeClient({"segundo", CuitB, "9", "mitre 1", "2000", "", ""});

        QCOMPARE(m_prompt->texts(), QStringList{Duplicate});
        QCOMPARE(m_prompt->last().caption, QStringLiteral("Quenlaro"));
        QVERIFY(FClientes->isVisible());
        QCOMPARE(clients()->state(), DatasetState::Insert);
        QCOMPARE(clients()->text(QStringLiteral("Razon_Social")), QStringLiteral("SEGUNDO"));
        QCOMPARE(control<DBEdit>(FClientes, "DBEdit1")->text(), QStringLiteral("SEGUNDO"));
        QCOMPARE(control<DBEdit>(FClientes, "DBEdit2")->text(), CuitB);
        QCOMPARE(cuits(), QStringList{CuitB});

        // The user corrects the C.U.I.T. and saves.
        m_prompt->clear();
        auto* cuit = control<DBEdit>(FClientes, "DBEdit2");
        cuit->setFocus();
        cuit->selectAll();
        QTest::keyClicks(cuit, CuitC);
        QTest::mouseClick(control<QAbstractButton>(FClientes, "BitBtn1"), Qt::LeftButton);
        QCOMPARE(m_prompt->texts(), QStringList{Saved});
        QVERIFY(!FClientes->isVisible());
        QCOMPARE(cuits(), (QStringList{CuitB, CuitC}));
    }

    // Leaving the client dialog unsaved drops the edit: a new client leaves no row, a changed
    // one keeps its stored values.
    void leaveDiscards_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("existing");
        for (const char* how : {"close box", "Cancelar", "Escape"}) {
            QTest::addRow("%s, new client", how) << how << false;
            QTest::addRow("%s, changed client", how) << how << true;
        }
    }

    void leaveDiscards()
    {
        QFETCH(QString, how);
        QFETCH(bool, existing);
        if (existing) {
            addClient(CuitB, QStringLiteral("PRIMERO"));
            clients()->edit();
        } else {
            clients()->insert();
        }
        showDialog(FClientes);
        auto* name = control<DBEdit>(FClientes, "DBEdit1");
        name->selectAll();
        typeAndEnter(QStringLiteral("otro nombre"));
        typeAndEnter(existing ? QString() : CuitC);
        QCOMPARE(clients()->text(QStringLiteral("Razon_Social")), QStringLiteral("OTRO NOMBRE"));

        if (how == QLatin1String("Cancelar"))
            QTest::mouseClick(control<QAbstractButton>(FClientes, "BitBtn2"), Qt::LeftButton);
        else if (how == QLatin1String("Escape"))
            keyboard::press(Qt::Key_Escape);
        else
            QVERIFY(FClientes->close());

        QVERIFY(!FClientes->isVisible());
        QVERIFY(m_prompt->shown().isEmpty());
        QCOMPARE(clients()->state(), DatasetState::Browse);
        QCOMPARE(cuits(), existing ? QStringList{CuitB} : QStringList{});
        if (existing)
            QCOMPARE(clients()->text(QStringLiteral("Razon_Social")), QStringLiteral("PRIMERO"));
        QCOMPARE(name->text(), existing ? QStringLiteral("PRIMERO") : QString());
    }

    // The list shows the register in C.U.I.T. order and moves the view with its current line.
    void listFollowsRegister()
    {
        addClient(CuitC, QStringLiteral("TERCERO"));
        addClient(CuitA, QStringLiteral("PRIMERO"));
        addClient(CuitB, QStringLiteral("SEGUNDO"));
        showDialog(FClienteMod);
        QAbstractItemModel* model = grid()->model();
        QCOMPARE(model->rowCount(), 3);
        QStringList names;
        for (int r = 0; r < 3; ++r)
            names << model->index(r, 1).data().toString();
        QCOMPARE(names, (QStringList{"PRIMERO", "SEGUNDO", "TERCERO"}));
        QCOMPARE(model->index(0, 5).data().toString(), QStringLiteral("2000"));

        QCOMPARE(focusedName(), QStringLiteral("DBGrid1"));
        grid()->setCurrentIndex(model->index(0, 0));
        keyboard::press(Qt::Key_Down);
        QCOMPARE(clients()->text(QStringLiteral("Cuit")), CuitB);
        // Typing in the read-only grid changes nothing and goes nowhere.
        QTest::keyClicks(grid(), QStringLiteral("3"));  // would jump to the C.U.I.T. starting with 3
        QCOMPARE(clients()->state(), DatasetState::Browse);
        QCOMPARE(clients()->text(QStringLiteral("Cuit")), CuitB);
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("SEGUNDO"));
        // Enter in the grid moves on to "Modificar"; Enter on "Volver" closes the list.
        keyboard::press(Qt::Key_Return);
        QCOMPARE(focusedName(), QStringLiteral("BitBtn1"));
        QVERIFY(m_dialogs.isEmpty());
        keyboard::press(Qt::Key_Tab);
        keyboard::press(Qt::Key_Tab);
        keyboard::press(Qt::Key_Return);
        QVERIFY(!FClienteMod->isVisible());
        QVERIFY(m_prompt->shown().isEmpty());
    }

    // "Modificar", Enter on it, and a double click open the client dialog over the current
    // client, or over a new one on an empty register; the grid then shows what was saved.
    void modificar_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("empty");
        for (const char* how : {"button", "Enter", "double click"}) {
            QTest::addRow("%s", how) << how << false;
            QTest::addRow("%s, empty register", how) << how << true;
        }
    }

    void modificar()
    {
        QFETCH(QString, how);
        QFETCH(bool, empty);
        if (!empty) {
            addClient(CuitA, QStringLiteral("PRIMERO"));
            addClient(CuitC, QStringLiteral("TERCERO"));
        }
        showDialog(FClienteMod);
        QAbstractItemModel* model = grid()->model();
        if (!empty)
            grid()->setCurrentIndex(model->index(1, 1));

        DatasetState stateWhileShown = DatasetState::Inactive;
        QString nameWhileShown;
        m_whileShown = [&](QDialog& dialog) {
            stateWhileShown = clients()->state();
            nameWhileShown = control<DBEdit>(&dialog, "DBEdit1")->text();
            showDialog(&dialog);
            // A new name and a C.U.I.T. that moves the client to the top of the list; a box
            // reached by Enter has its text selected, so typing replaces it.
            QCOMPARE(focusedName(), QStringLiteral("DBEdit1"));
            control<DBEdit>(&dialog, "DBEdit1")->selectAll();
            typeClient({"cambiado", "10000000006", "", "mitre 1", "2000", "", ""});
        };
        if (how == QLatin1String("button")) {
            QTest::mouseClick(control<QAbstractButton>(FClienteMod, "BitBtn1"), Qt::LeftButton);
        } else if (how == QLatin1String("Enter")) {
            control<QAbstractButton>(FClienteMod, "BitBtn1")->setFocus();
            keyboard::press(Qt::Key_Return);
        } else {
            const QRect cell = empty ? QRect(QPoint(20, 20), QSize(1, 1)) : grid()->visualRect(model->index(1, 1));
            QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
        }

        QCOMPARE(m_dialogs, QStringList{"FClientes"});
        QCOMPARE(stateWhileShown, empty ? DatasetState::Insert : DatasetState::Edit);
        QCOMPARE(nameWhileShown, empty ? QString() : QStringLiteral("TERCERO"));
        QCOMPARE(m_prompt->texts(), QStringList{Saved});
        QVERIFY(FClienteMod->isVisible());
        QCOMPARE(model->rowCount(), empty ? 1 : 2);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("10000000006"));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("CAMBIADO"));
        QCOMPARE(grid()->currentIndex().row(), 0);
        QCOMPARE(clients()->text(QStringLiteral("Razon_Social")), QStringLiteral("CAMBIADO"));
        if (!empty)
            QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("PRIMERO"));
    }

    void borrarOnEmptyList()
    {
        showDialog(FClienteMod);
        QTest::mouseClick(control<QAbstractButton>(FClienteMod, "BitBtn2"), Qt::LeftButton);
        QVERIFY(m_prompt->shown().isEmpty());
        QVERIFY(m_dialogs.isEmpty());
        QVERIFY(clients()->isEmpty());
        QCOMPARE(clients()->state(), DatasetState::Browse);
    }

    // "Borrar" asks first; a client that printed-forms or machine rows name stays.
    void borrar_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<QString>("dependent");  // "", "detalle", "maquina"
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<int>("currentAfter");
        QTest::newRow("Yes, middle line") << 1 << PromptButton::Yes << "" << QStringList{CuitA, CuitC} << 1;
        QTest::newRow("Yes, last line") << 2 << PromptButton::Yes << "" << QStringList{CuitA, CuitB} << 1;
        QTest::newRow("No") << 1 << PromptButton::No << "" << QStringList{CuitA, CuitB, CuitC} << 1;
        QTest::newRow("dialog closed") << 1 << PromptButton::None << "" << QStringList{CuitA, CuitB, CuitC} << 1;
        QTest::newRow("printed-forms rows")
            << 1 << PromptButton::Yes << "detalle" << QStringList{CuitA, CuitB, CuitC} << 1;
        QTest::newRow("machine rows") << 1 << PromptButton::Yes << "maquina" << QStringList{CuitA, CuitB, CuitC} << 1;
    }

    void borrar()
    {
        QFETCH(int, line);
        QFETCH(PromptButton, answer);
        QFETCH(QString, dependent);
        QFETCH(QStringList, remaining);
        QFETCH(int, currentAfter);
        addClient(CuitA, QStringLiteral("PRIMERO"));
        const int id = addClient(CuitB, QStringLiteral("SEGUNDO"));
        addClient(CuitC, QStringLiteral("TERCERO"));
        if (dependent == QLatin1String("detalle")) {
            DModulo->TDetalles->insert();
            DModulo->TDetalles->setValue(QStringLiteral("Cliente"), id);
            DModulo->TDetalles->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("FACTURA A"));
            DModulo->TDetalles->post();
        } else if (dependent == QLatin1String("maquina")) {
            DModulo->TMaquinas->insert();
            DModulo->TMaquinas->setValue(QStringLiteral("Cliente_id"), id);
            DModulo->TMaquinas->setText(QStringLiteral("Marca"), QStringLiteral("REGISTRA"));
            DModulo->TMaquinas->post();
        }
        showDialog(FClienteMod);
        grid()->setCurrentIndex(grid()->model()->index(line, 0));
        m_prompt->answer(answer);

        control<QAbstractButton>(FClienteMod, "BitBtn2")->setFocus();
        keyboard::press(Qt::Key_Return);

        QCOMPARE(m_prompt->shown().first().text, Confirm);
        QCOMPARE(m_prompt->shown().first().icon, PromptIcon::Question);
        QCOMPARE(m_prompt->shown().first().buttons, PromptButtons::YesNo);
        QCOMPARE(m_prompt->shown().first().caption, Prompt::standardCaption(PromptIcon::Question));
        if (dependent.isEmpty()) {
            QCOMPARE(m_prompt->shown().size(), 1);
        } else {
            QCOMPARE(m_prompt->texts(), (QStringList{Confirm, HasDetails}));
            QCOMPARE(m_prompt->last().icon, PromptIcon::Information);
            QCOMPARE(m_prompt->last().buttons, PromptButtons::Yes);
        }
        QCOMPARE(cuits(), remaining);
        QCOMPARE(grid()->model()->rowCount(), remaining.size());
        QCOMPARE(grid()->currentIndex().row(), currentAfter);
        QCOMPARE(clients()->recNo(), currentAfter);
        QVERIFY(FClienteMod->isVisible());
    }
};

QTEST_MAIN(TestClientes)
#include "tst_clientes.moc"
