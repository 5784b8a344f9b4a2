#include "DataFolder.h"
#include "Keyboard.h"
#include "SampleCuit.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "widgets/DBLookupComboBox.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

using fixture::cuitFor;
using store::DatasetState;

namespace {

// A dialog with the two client boxes of a printed-forms row, over a few clients.
struct Form {
    DataFolder folder;
    TDModulo& m = folder.modulo();
    QDialog dialog;
    DBLookupComboBox* names = new DBLookupComboBox(&dialog);
    DBLookupComboBox* cuits = new DBLookupComboBox(&dialog);
    QLineEdit* after = new QLineEdit(&dialog);

    Form()
    {
        addClient(1, QStringLiteral("ZORRO"));
        addClient(2, QStringLiteral("alfa norte"));
        addClient(3, QStringLiteral("Alfa Sur"));
        addClient(4, QStringLiteral("BETA"));
        addClient(5, QString());
        auto* layout = new QVBoxLayout(&dialog);
        for (QWidget* w : std::initializer_list<QWidget*>{names, cuits, after})
            layout->addWidget(w);
        names->setDataField(m.TDetalles, QStringLiteral("Razon_social"));
        cuits->setDataField(m.TDetalles, QStringLiteral("cuit"));
    }

    void addClient(int n, const QString& name)
    {
        m.TCliente->insert();
        m.TCliente->setText(QStringLiteral("Cuit"), cuitFor(n));
        m.TCliente->setText(QStringLiteral("Razon_Social"), name);
        m.TCliente->post();
    }

    int clientOf(int n)
    {
        m.TCliente->findKey({cuitFor(n)});
        return m.TCliente->asInteger(QStringLiteral("Id_cliente"));
    }

    void show() { QVERIFY(keyboard::showActive(dialog)); }
};

}  // namespace

class TestDBLookupComboBox : public QObject {
    Q_OBJECT
private slots:
    void listIsSortedAndSearched();
    void typeAheadCompletesAndRefuses();
    void duplicateNamesKeepTheirClient();
    void emptyTextClearsClient();
    void followsTheCurrentRowWithoutReadingTheList();
};

void TestDBLookupComboBox::listIsSortedAndSearched()
{
    Form form;
    LookupListModel& list = form.names->listModel();
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(!list.loaded());
    QCOMPARE(list.rowCount(), 0);
    list.ensureLoaded();
    // Ignoring case; a client without a name is not listed.
    QStringList values;
    for (int r = 0; r < list.rowCount(); ++r)
        values << list.index(r).data().toString();
    QCOMPARE(values, (QStringList{"alfa norte", "Alfa Sur", "BETA", "ZORRO"}));
    QCOMPARE(list.keyAt(1).toInt(), form.clientOf(3));

    auto rows = [&list](const QString& text, int from, Qt::MatchFlags flags) {
        QList<int> found;
        for (const QModelIndex& i : list.match(list.index(from), Qt::DisplayRole, text, -1, flags))
            found << i.row();
        return found;
    };
    QCOMPARE(rows("AL", 0, Qt::MatchStartsWith), (QList<int>{0, 1}));
    QCOMPARE(rows("al", 1, Qt::MatchStartsWith), (QList<int>{1}));
    QCOMPARE(rows("al", 2, Qt::MatchStartsWith | Qt::MatchWrap), (QList<int>{0, 1}));
    QCOMPARE(rows("Al", 0, Qt::MatchStartsWith | Qt::MatchCaseSensitive), (QList<int>{1}));
    QCOMPARE(rows("beta", 0, Qt::MatchFixedString), (QList<int>{2}));
    QCOMPARE(rows("beta", 0, Qt::MatchExactly), (QList<int>{}));
    QCOMPARE(rows("ORR", 0, Qt::MatchContains), (QList<int>{3}));  // not by the sorted search
    QCOMPARE(form.names->findText("BETA"), 2);
    QCOMPARE(list.findPrefix("b"), 2);
    QCOMPARE(list.findPrefix("c"), -1);

    // A new client drops the list; it is read again, with the newcomer, when next needed.
    form.addClient(6, QStringLiteral("AAA PRIMERO"));
    QVERIFY(!list.loaded());
    list.ensureLoaded();
    QCOMPARE(list.index(0).data().toString(), QStringLiteral("AAA PRIMERO"));
}

void TestDBLookupComboBox::typeAheadCompletesAndRefuses()
{
    ScriptedPrompt prompt;
    Form form;
    form.m.TDetalles->insert();
    form.show();
    form.names->setFocus(Qt::TabFocusReason);
    QVERIFY(!form.names->listModel().loaded());

    keyboard::type("a");
    QCOMPARE(form.names->currentText(), QStringLiteral("alfa norte"));
    QCOMPARE(form.names->lineEdit()->selectedText(), QStringLiteral("lfa norte"));
    keyboard::type("lfa s");
    QCOMPARE(form.names->currentText(), QStringLiteral("Alfa Sur"));
    QCOMPARE(form.names->lineEdit()->selectedText(), QStringLiteral("ur"));
    // Deleting the completion does not bring it back.
    keyboard::press(Qt::Key_Backspace);
    QCOMPARE(form.names->currentText(), QStringLiteral("Alfa S"));

    // A text that is not in the list is refused; the client stays as it was.
    keyboard::press(Qt::Key_Tab);
    QCOMPARE(prompt.texts(), QStringList{"'Alfa S' no figura en la lista de Razón Social."});
    QTRY_VERIFY(form.names->hasFocus());
    QVERIFY(form.m.TDetalles->isNull("Cliente"));

    keyboard::type("u");
    keyboard::press(Qt::Key_Tab);
    QCOMPARE(form.m.TDetalles->asInteger("Cliente"), form.clientOf(3));
    QCOMPARE(form.cuits->currentText(), cuitFor(3));
    QCOMPARE(form.names->currentText(), QStringLiteral("Alfa Sur"));

    // The C.U.I.T. box completes too, and the name follows it.
    QVERIFY(form.cuits->hasFocus());
    QCOMPARE(form.cuits->lineEdit()->selectedText(), cuitFor(3));  // entered with Tab: all selected
    keyboard::type(cuitFor(4).left(10));
    keyboard::press(Qt::Key_Tab);
    QCOMPARE(form.names->currentText(), QStringLiteral("BETA"));
    QCOMPARE(form.m.TDetalles->state(), DatasetState::Insert);
}

void TestDBLookupComboBox::duplicateNamesKeepTheirClient()
{
    Form form;
    form.addClient(7, QStringLiteral("DUPLICADO"));
    form.addClient(8, QStringLiteral("DUPLICADO"));
    form.m.TDetalles->insert();
    form.show();

    // Picking the second of two equal names takes that client.
    form.names->setFocus();
    form.names->showPopup();
    const int second = form.names->listModel().findValue("DUPLICADO") + 1;
    QCOMPARE(form.names->listModel().keyAt(second).toInt(), form.clientOf(8));
    form.names->view()->setCurrentIndex(form.names->listModel().index(second));
    QTest::keyClick(form.names->view(), Qt::Key_Return);
    QCOMPARE(form.m.TDetalles->asInteger("Cliente"), form.clientOf(8));
    QCOMPARE(form.cuits->currentText(), cuitFor(8));

    // Passing through the box, or typing the same name again, keeps it.
    form.after->setFocus();
    form.names->setFocus(Qt::TabFocusReason);
    keyboard::type("DUPLICADO");
    form.after->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.m.TDetalles->asInteger("Cliente"), form.clientOf(8));

    // Another name typed in takes the first client of that name, as the lookup does.
    form.m.TDetalles->setValue("Cliente", form.clientOf(4));
    form.names->setFocus(Qt::TabFocusReason);
    keyboard::type("DUPLICADO");
    form.after->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.m.TDetalles->asInteger("Cliente"), form.clientOf(7));
}

void TestDBLookupComboBox::emptyTextClearsClient()
{
    Form form;
    form.m.TDetalles->insert();
    form.m.TDetalles->setValue("Cliente", form.clientOf(2));
    form.show();
    QCOMPARE(form.cuits->currentText(), cuitFor(2));
    form.cuits->setFocus(Qt::TabFocusReason);
    keyboard::press(Qt::Key_Delete);
    keyboard::press(Qt::Key_Tab);
    QVERIFY(form.m.TDetalles->isNull("Cliente"));
    QCOMPARE(form.names->currentText(), QString());
}

void TestDBLookupComboBox::followsTheCurrentRowWithoutReadingTheList()
{
    Form form;
    store::Dataset* ds = form.m.TDetalles;
    for (int n : {1, 4}) {
        ds->insert();
        ds->setValue("Cliente", form.clientOf(n));
        ds->post();
    }
    ds->first();
    QCOMPARE(form.names->currentText(), QStringLiteral("ZORRO"));
    ds->next();
    QCOMPARE(form.names->currentText(), QStringLiteral("BETA"));
    QCOMPARE(form.cuits->currentText(), cuitFor(4));
    QVERIFY(!form.names->listModel().loaded());
    QVERIFY(!form.cuits->listModel().loaded());
    QCOMPARE(ds->state(), DatasetState::Browse);
    // Once read, the list's current item is the row's client.
    form.names->listModel().ensureLoaded();
    QCOMPARE(form.names->currentText(), QStringLiteral("BETA"));
    QCOMPARE(form.names->currentIndex(), 2);
    ds->first();
    QCOMPARE(form.names->currentIndex(), 3);
}

QTEST_MAIN(TestDBLookupComboBox)
#include "tst_dblookupcombobox.moc"
