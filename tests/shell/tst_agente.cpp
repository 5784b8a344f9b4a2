#include "DataFolder.h"
#include "Keyboard.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "shell/PickLists.h"
#include "shell/windows/Principal.h"
#include "shell/windows/Startup.h"
#include "shell/windows/Uimprenta.h"
#include "widgets/DBCheckBox.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/ModalDialog.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <memory>

using store::DatasetState;

namespace {
const QString Missing = QStringLiteral("Faltan Cargar Datos Obligatorios");
const QString Saved = QStringLiteral("Datos Guardado Correctamente");

using keyboard::focusedName;
using keyboard::typeAndEnter;
}  // namespace

// The agent dialog driven from the keyboard over a data folder of its own.
class TestAgente : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<DataFolder> m_folder;

    static store::Dataset* agent() { return DModulo->TImprentas; }

    template <typename T>
    static T* control(const char* name)
    {
        return FImprenta->findChild<T*>(QString::fromLatin1(name));
    }

    // What the "&Agente" entry does, with the dialog shown for the keyboard.
    static void open()
    {
        agent()->edit();
        FImprenta->show();
        QVERIFY(QTest::qWaitForWindowActive(FImprenta));
        QCOMPARE(focusedName(), QStringLiteral("DBEdit4"));
    }

    static void saveAgent(const QString& nombre, const QString& codigoPostal)
    {
        agent()->edit();
        agent()->setText(QStringLiteral("Nombre"), nombre);
        agent()->setText(QStringLiteral("Codigo_Postal"), codigoPostal);
        agent()->post();
    }

private slots:
    void init()
    {
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_folder = std::make_unique<DataFolder>();
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
        QCOMPARE(FImprenta->size(), QSize(589, 380));
        QCOMPARE(FImprenta->minimumSize(), FImprenta->maximumSize());
        const QList<std::pair<const char*, QString>> captions{{"GroupBox1", "Datos"},
                                                              {"GroupBox3", "Domicilio"},
                                                              {"Label1", "Razon Social"},
                                                              {"Label2", "Cuit"},
                                                              {"Label3", "N° de Inscripción"},
                                                              {"Label4", "Domicilio"},
                                                              {"Label5", "Provincia"},
                                                              {"Label6", "Localidad"},
                                                              {"Label7", "Codigo Postal"},
                                                              {"DBCheckBox1", "Imprenta"},
                                                              {"DBCheckBox2", "Venta de Maquinas Registradoras"},
                                                              {"DBCheckBox3", "Autoimpresores"},
                                                              {"BitBtn1", "Aceptar"},
                                                              {"BitBtn2", "Cancelar"}};
        for (const auto& [name, caption] : captions) {
            QObject* o = FImprenta->findChild<QObject*>(QString::fromLatin1(name));
            QVERIFY2(o, name);
            QCOMPARE(o->property(o->inherits("QLabel")      ? "text"
                                 : o->inherits("QGroupBox") ? "title"
                                                            : "text")
                         .toString(),
                     caption);
        }
        // Both groups sit in "Datos"; the lists are the shared ones.
        auto* datos = FImprenta->findChild<QWidget*>(QStringLiteral("GroupBox1"));
        QVERIFY(datos->isAncestorOf(control<DBEdit>("DBEdit1")));
        QVERIFY(datos->isAncestorOf(control<DBEdit>("DBEdit5")));
        for (const auto& [name, list] :
             {std::pair{"DBComboBox1", picklists::provinces()}, std::pair{"DBComboBox2", picklists::localities()}}) {
            auto* combo = control<DBComboBox>(name);
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            QCOMPARE(items, list);
        }
    }

    void tabOrder()
    {
        open();
        QStringList visited;
        for (int i = 0; i < 12; ++i) {
            keyboard::press(Qt::Key_Tab);
            visited << focusedName();
        }
        QCOMPARE(visited, (QStringList{"DBComboBox1", "DBComboBox2", "DBEdit5", "BitBtn1", "BitBtn2", "DBEdit1",
                                       "DBEdit2", "DBEdit3", "DBCheckBox1", "DBCheckBox2", "DBCheckBox3", "DBEdit4"}));
    }

    // Everything typed and checked from the keyboard in tab order; Enter on "Codigo Postal"
    // only reaches "Aceptar", Enter there saves.
    void save_data()
    {
        QTest::addColumn<QStringList>("typed");  // Nombre, Cuit, Inscripcion, Domicilio, Provincia, Localidad, CP
        QTest::addColumn<QString>("flags");      // Imprentas, VMR, Autoimpresores
        QTest::addColumn<QString>("notice");

        const QStringList all{"imprenta del sol", "20123456786", "0212345", "san martin 1234",
                              "SANTA FE",         "ROSARIO",     "2000"};
        auto without = [&](int i) {
            QStringList t = all;
            t[i].clear();
            return t;
        };
        QTest::newRow("only Autoimpresores, no province or locality")
            << QStringList{all[0], all[1], all[2], all[3], "", "", all[6]} << "NNS" << Saved;
        QTest::newRow("all three activities") << all << "SSS" << Saved;
        QTest::newRow("no activity") << all << "NNN" << Missing;
        QTest::newRow("no Razon Social") << without(0) << "SNN" << Missing;
        QTest::newRow("no Cuit") << without(1) << "SNN" << Missing;
        QTest::newRow("no Inscripcion") << without(2) << "SNN" << Missing;
        QTest::newRow("no Domicilio") << without(3) << "SNN" << Missing;
        QTest::newRow("no Codigo Postal") << without(6) << "SNN" << Missing;
        QTest::newRow("nothing, no activity: one notice") << QStringList(7) << "NNN" << Missing;
    }

    void save()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, flags);
        QFETCH(QString, notice);
        setModalHandler([](QDialog&) { return int(QDialog::Rejected); });
        open();
        QCOMPARE(agent()->text(QStringLiteral("Autoimpresores")), QStringLiteral("N"));

        for (int i : {3, 4, 5, 6})
            typeAndEnter(typed[i]);
        QCOMPARE(focusedName(), QStringLiteral("BitBtn1"));
        QVERIFY(m_prompt->shown().isEmpty());  // reaching "Aceptar" saves nothing
        keyboard::press(Qt::Key_Tab);
        keyboard::press(Qt::Key_Tab);
        for (int i : {0, 1, 2})
            typeAndEnter(typed[i]);
        for (const QChar flag : flags) {
            if (flag == QLatin1Char('S'))
                keyboard::press(Qt::Key_Space);
            keyboard::press(Qt::Key_Return);
        }
        QCOMPARE(focusedName(), QStringLiteral("DBEdit4"));
        for (int i = 0; i < 4; ++i)
            keyboard::press(Qt::Key_Return);
        QCOMPARE(focusedName(), QStringLiteral("BitBtn1"));
        QVERIFY(m_prompt->shown().isEmpty());
        QCOMPARE(agent()->state(), DatasetState::Insert);
        keyboard::press(Qt::Key_Return);

        QCOMPARE(m_prompt->texts(), QStringList{notice});
        QCOMPARE(m_prompt->last().caption, Prompt::applicationTitle());
        if (notice == Missing) {
            QVERIFY(FImprenta->isVisible());
            QCOMPARE(agent()->state(), DatasetState::Insert);
            QVERIFY(agent()->isEmpty());
            return;
        }
        QVERIFY(!FImprenta->isVisible());
        QCOMPARE(FImprenta->result(), int(QDialog::Accepted));
        QCOMPARE(agent()->state(), DatasetState::Browse);
        const QStringList fields{"Nombre",    "Cuit",      "Inscripcion",  "Domicilio",
                                 "Provincia", "Localidad", "Codigo_Postal"};
        for (int i = 0; i < fields.size(); ++i) {
            const QString expected = i == 0 || i == 3 ? typed[i].toUpper() : typed[i];
            QCOMPARE(agent()->text(fields[i]), expected);
        }
        QString stored;
        for (const char* flag : {"Imprentas", "VMR", "Autoimpresores"})
            stored += agent()->text(QString::fromLatin1(flag));
        QCOMPARE(stored, flags);

        // The gated entries open from now on.
        QStringList shown;
        setModalHandler([&](QDialog& d) {
            shown << d.objectName();
            return int(QDialog::Rejected);
        });
        m_prompt->clear();
        FPrincipal->findChild<QAction*>(QStringLiteral("Insertar1"))->trigger();
        QCOMPARE(shown, QStringList{"FClientes"});
        QVERIFY(m_prompt->shown().isEmpty());
    }

    // Picked from the open list with the keyboard, "SAN JUAN " is stored with its blank.
    void pickedProvinceKeepsItsBlank()
    {
        open();
        keyboard::press(Qt::Key_Return);
        QCOMPARE(focusedName(), QStringLiteral("DBComboBox1"));
        auto* combo = control<DBComboBox>("DBComboBox1");
        keyboard::press(Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClicks(combo->view(), QStringLiteral("SAN J"));
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_VERIFY(!combo->view()->isVisible());
        QCOMPARE(combo->currentText(), QStringLiteral("SAN JUAN "));
        keyboard::press(Qt::Key_Return);
        QCOMPARE(focusedName(), QStringLiteral("DBComboBox2"));
        QCOMPARE(agent()->text(QStringLiteral("Provincia")), QStringLiteral("SAN JUAN "));

        agent()->setText(QStringLiteral("Nombre"), QStringLiteral("IMPRENTA"));
        agent()->setText(QStringLiteral("Cuit"), QStringLiteral("20123456786"));
        agent()->setText(QStringLiteral("Inscripcion"), QStringLiteral("1"));
        agent()->setText(QStringLiteral("Domicilio"), QStringLiteral("MITRE 1"));
        agent()->setText(QStringLiteral("Codigo_Postal"), QStringLiteral("5400"));
        agent()->setText(QStringLiteral("VMR"), QStringLiteral("S"));
        QTest::mouseClick(control<QPushButton>("BitBtn1"), Qt::LeftButton);
        QCOMPARE(m_prompt->texts(), QStringList{Saved});
        agent()->refresh();
        QCOMPARE(agent()->text(QStringLiteral("Provincia")), QStringLiteral("SAN JUAN "));
    }

    // The postal code is a whole number from 1 to 32767: anything else is refused where it is
    // typed, with the standard error box naming the box as the window labels it, and the former
    // value stays.
    void postalCode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");   // after leaving the box
        QTest::addColumn<QString>("message");  // for a refusal
        QTest::newRow("letters") << "abc"
                                 << "3000"
                                 << "'ABC' no es un número válido para Codigo Postal: se escribe solo con cifras, "
                                    "sin decimales (1234).";
        QTest::newRow("decimal") << "12,5"
                                 << "3000"
                                 << "Codigo Postal admite solo números enteros, sin decimales ('12,5').";
        QTest::newRow("above 32767") << "32768"
                                     << "3000"
                                     << "Codigo Postal debe estar entre 1 y 32767 (32768).";
        QTest::newRow("far above") << "400000"
                                   << "3000"
                                   << "Codigo Postal debe estar entre 1 y 32767 (400000).";
        QTest::newRow("below zero") << "-5"
                                    << "3000"
                                    << "Codigo Postal no admite números negativos ('-5').";
        QTest::newRow("zero") << "0"
                              << "3000"
                              << "Codigo Postal debe ser mayor que cero (0).";
        QTest::newRow("32767") << "32767"
                               << "32767"
                               << "";
        QTest::newRow("1") << "1"
                           << "1"
                           << "";
        QTest::newRow("ordinary") << "2000"
                                  << "2000"
                                  << "";
    }

    void postalCode()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        saveAgent(QStringLiteral("IMPRENTA"), QStringLiteral("3000"));
        open();
        for (int i = 0; i < 3; ++i)
            keyboard::press(Qt::Key_Return);
        auto* edit = control<DBEdit>("DBEdit5");
        QCOMPARE(edit->text(), QStringLiteral("3000"));
        edit->selectAll();
        typeAndEnter(typed);
        QCOMPARE(agent()->text(QStringLiteral("Codigo_Postal")), stored);
        if (stored == typed) {
            QVERIFY(m_prompt->shown().isEmpty());
            QCOMPARE(focusedName(), QStringLiteral("BitBtn1"));
            return;
        }
        QCOMPARE(m_prompt->shown().size(), 1);
        QCOMPARE(m_prompt->last().icon, PromptIcon::Error);
        QCOMPARE(m_prompt->last().caption, Prompt::applicationTitle());
        QCOMPARE(m_prompt->last().text, message);
        QTRY_COMPARE(focusedName(), QStringLiteral("DBEdit5"));
        QCOMPARE(edit->text(), typed.toUpper());  // left for the user to correct
    }

    // Leaving without saving drops the edit, whichever way the dialog is left.
    void leaveDiscards_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("savedBefore");
        for (const char* how : {"Cancelar", "Escape", "close box"}) {
            QTest::addRow("%s, new agent", how) << how << false;
            QTest::addRow("%s, saved agent", how) << how << true;
        }
    }

    void leaveDiscards()
    {
        QFETCH(QString, how);
        QFETCH(bool, savedBefore);
        if (savedBefore)
            saveAgent(QStringLiteral("IMPRENTA DEL SOL"), QStringLiteral("3000"));
        open();
        keyboard::press(Qt::Key_Tab, Qt::ShiftModifier);
        keyboard::press(Qt::Key_Space);  // Autoimpresores
        QCOMPARE(agent()->text(QStringLiteral("Autoimpresores")), QStringLiteral("S"));
        auto* nombre = control<DBEdit>("DBEdit1");
        nombre->setFocus();
        nombre->selectAll();
        QTest::keyClicks(nombre, QStringLiteral("otra"));

        if (how == QLatin1String("Cancelar"))
            QTest::mouseClick(control<QPushButton>("BitBtn2"), Qt::LeftButton);
        else if (how == QLatin1String("Escape"))
            keyboard::press(Qt::Key_Escape);
        else
            QVERIFY(FImprenta->close());

        QVERIFY(!FImprenta->isVisible());
        QCOMPARE(FImprenta->result(), int(QDialog::Rejected));
        QVERIFY(m_prompt->shown().isEmpty());
        QCOMPARE(agent()->state(), DatasetState::Browse);
        QCOMPARE(agent()->recordCount(), savedBefore ? 1 : 0);
        const QString expected = savedBefore ? QStringLiteral("IMPRENTA DEL SOL") : QString();
        QCOMPARE(agent()->text(QStringLiteral("Nombre")), expected);
        QCOMPARE(agent()->text(QStringLiteral("Autoimpresores")), savedBefore ? QStringLiteral("N") : QString());
        // Shown again, the dialog holds the stored row.
        open();
        QCOMPARE(nombre->text(), expected);
        QVERIFY(!control<DBCheckBox>("DBCheckBox3")->isChecked());
    }
};

QTEST_MAIN(TestAgente)
#include "tst_agente.moc"
