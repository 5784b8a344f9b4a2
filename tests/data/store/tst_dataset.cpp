#include "SmallStore.h"

#include <QSignalSpy>
#include <QTest>

using namespace smallstore;
using store::Dataset;
using store::DatasetState;
using store::StoreError;

namespace {

QString key(const Dataset& ds) { return ds.text(QStringLiteral("Clave")); }

// Rows a, b, c: by name they read c, a, b.
void fillThree(Dataset& ds)
{
    addRow(ds, {{"Clave", "a"}, {"Nombre", "MARIA"}});
    addRow(ds, {{"Clave", "b"}, {"Nombre", "ZOE"}, {"Anio", "2016"}});
    addRow(ds, {{"Clave", "c"}, {"Nombre", "ANA"}});
}

QString walk(Dataset& ds)
{
    QString keys;
    for (ds.first(); !ds.eof(); ds.next())
        keys += key(ds);
    return keys;
}

}  // namespace

class TestDataset : public QObject {
    Q_OBJECT
private slots:
    void editingStates();
    void navigation();
    void emptiedViewIsAtEnd_data();
    void emptiedViewIsAtEnd();
    void removeMovesToFollowingRow_data();
    void removeMovesToFollowingRow();
    void findKey_data();
    void findKey();
    void twoViewsOverOneTable();
    void postedRowLeavesFilteredView();
    void editOfRowDeletedElsewhereIsNotLost();
    void oneRowChangeMovesOneRow_data();
    void oneRowChangeMovesOneRow();
    void endsFoundBeforeTheListIsRead_data();
    void endsFoundBeforeTheListIsRead();
};

void TestDataset::editingStates()
{
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    QCOMPARE(ds.state(), DatasetState::Inactive);
    ds.open();
    QSignalSpy states(&ds, &Dataset::stateChanged);

    ds.edit();  // an empty view starts a new row
    QCOMPARE(ds.state(), DatasetState::Insert);
    ds.setText(QStringLiteral("Clave"), QStringLiteral("a"));
    ds.post();
    QCOMPARE(ds.state(), DatasetState::Browse);
    QCOMPARE(states.count(), 2);

    addRow(ds, {{"Clave", "b"}, {"Nombre", "BETA"}});
    QCOMPARE(key(ds), QStringLiteral("b"));  // the posted row is current

    ds.edit();
    QCOMPARE(ds.state(), DatasetState::Edit);
    ds.setText(QStringLiteral("Nombre"), QStringLiteral("CAMBIADO"));
    QCOMPARE(ds.text(QStringLiteral("Nombre")), QStringLiteral("CAMBIADO"));
    ds.cancel();
    QCOMPARE(ds.state(), DatasetState::Browse);
    QCOMPARE(ds.text(QStringLiteral("Nombre")), QStringLiteral("BETA"));

    ds.insert();
    ds.setText(QStringLiteral("Clave"), QStringLiteral("x"));
    ds.cancel();
    QCOMPARE(ds.recordCount(), 2);
    QCOMPARE(key(ds), QStringLiteral("b"));

    // Moving off a changed row posts it; an unchanged one is let go.
    ds.edit();
    ds.setText(QStringLiteral("Nombre"), QStringLiteral("NUEVO"));
    ds.first();
    QCOMPARE(ds.state(), DatasetState::Browse);
    QCOMPARE(ds.textAt(1, QStringLiteral("Nombre")), QStringLiteral("NUEVO"));
    ds.insert();
    ds.next();
    QCOMPARE(ds.recordCount(), 2);
}

void TestDataset::navigation()
{
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.setIndexName(QStringLiteral("indx_registro_nombre"));
    ds.open();
    QVERIFY(ds.eof() && ds.bof());
    QCOMPARE(ds.recNo(), -1);
    fillThree(ds);

    QCOMPARE(ds.recordCount(), 3);
    QCOMPARE(walk(ds), QStringLiteral("cab"));  // index order
    QCOMPARE(key(ds), QStringLiteral("b"));     // next at the end stays on the last row
    QCOMPARE(ds.recNo(), 2);

    ds.first();
    QVERIFY(ds.bof() && !ds.eof());
    QCOMPARE(key(ds), QStringLiteral("c"));
    ds.prior();
    QVERIFY(ds.bof());
    QCOMPARE(ds.recNo(), 0);

    ds.last();
    QVERIFY(ds.eof() && !ds.bof());
    QString backwards;
    for (; !ds.bof(); ds.prior())
        backwards += key(ds);
    QCOMPARE(backwards, QStringLiteral("bac"));

    ds.moveTo(1);
    QCOMPARE(key(ds), QStringLiteral("a"));
    QVERIFY(!ds.eof() && !ds.bof());
    ds.moveTo(99);
    QCOMPARE(ds.recNo(), 2);
    ds.moveTo(-5);
    QCOMPARE(ds.recNo(), 0);

    // Without an index the rows come in the order they were added.
    ds.setIndexName(QString());
    QCOMPARE(walk(ds), QStringLiteral("abc"));
}

void TestDataset::emptiedViewIsAtEnd_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("filter matching nothing") << "filter";
    QTest::newRow("last row removed") << "remove";
    QTest::newRow("rows deleted by another view") << "elsewhere";
}

void TestDataset::emptiedViewIsAtEnd()
{
    QFETCH(QString, how);
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.open();
    addRow(ds, {{"Clave", "a"}});
    ds.first();
    QVERIFY(!ds.eof());
    if (how == QLatin1String("filter")) {
        ds.setFilter(QStringLiteral("anio='1999'"));
        ds.setFiltered(true);
    } else if (how == QLatin1String("remove")) {
        ds.remove();
    } else {
        Dataset other(&folder.session, QStringLiteral("T2"), QStringLiteral("registro"));
        other.open();
        other.remove();
    }
    // A loop "while not eof" must not see a row that is not there.
    QVERIFY(ds.eof());
    QVERIFY(ds.bof());
    QCOMPARE(ds.recNo(), -1);
    QVERIFY(ds.isEmpty());
    QCOMPARE(key(ds), QString());
}

void TestDataset::removeMovesToFollowingRow_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("remaining");
    QTest::addColumn<QString>("current");
    QTest::newRow("first") << 0 << "ab"
                           << "a";
    QTest::newRow("middle") << 1 << "cb"
                            << "b";
    QTest::newRow("last") << 2 << "ca"
                          << "a";
}

void TestDataset::removeMovesToFollowingRow()
{
    QFETCH(int, position);
    QFETCH(QString, remaining);
    QFETCH(QString, current);
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.setIndexName(QStringLiteral("indx_registro_nombre"));
    ds.open();
    fillThree(ds);
    ds.moveTo(position);
    QSignalSpy rows(&ds, &Dataset::rowsChanged);
    ds.remove();
    QVERIFY(rows.count() > 0);
    QCOMPARE(key(ds), current);
    QCOMPARE(column(ds, QStringLiteral("Clave")).join(QString()), remaining);
    QCOMPARE(ds.recNo(), remaining.indexOf(current));
}

void TestDataset::findKey_data()
{
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<bool>("found");
    QTest::newRow("found") << "b" << false << true;
    QTest::newRow("other case") << "B" << false << false;
    QTest::newRow("longer") << "bb" << false << false;
    QTest::newRow("absent") << "z" << false << false;
    QTest::newRow("found within filter") << "c" << true << true;
    QTest::newRow("outside filter") << "b" << true << false;
}

void TestDataset::findKey()
{
    QFETCH(QString, wanted);
    QFETCH(bool, filtered);
    QFETCH(bool, found);
    Folder folder;
    Dataset ds(&folder.session, QStringLiteral("T"), QStringLiteral("registro"));
    ds.setIndexName(QStringLiteral("indx_registro_clave"));
    ds.setFilter(QStringLiteral("anio=null"));
    ds.setFiltered(filtered);
    ds.open();
    fillThree(ds);
    ds.first();
    const QString before = key(ds);

    QCOMPARE(ds.findKey({wanted}), found);
    QCOMPARE(key(ds), found ? wanted : before);
    QCOMPARE(ds.textAt(ds.recNo(), QStringLiteral("Clave")), key(ds));
}

void TestDataset::twoViewsOverOneTable()
{
    Folder folder;
    Dataset all(&folder.session, QStringLiteral("Todos"), QStringLiteral("registro"));
    Dataset pending(&folder.session, QStringLiteral("Abiertos"), QStringLiteral("registro"));
    pending.setIndexName(QStringLiteral("indx_registro_nombre"));
    pending.setFilter(QStringLiteral("anio=null"));
    pending.setFiltered(true);
    all.open();
    pending.open();
    fillThree(all);

    // Each view has its own current row and filter.
    all.first();
    pending.last();
    QCOMPARE(key(all), QStringLiteral("a"));
    QCOMPARE(key(pending), QStringLiteral("a"));
    pending.first();
    QCOMPARE(key(pending), QStringLiteral("c"));
    QCOMPARE(key(all), QStringLiteral("a"));
    QCOMPARE(all.recordCount(), 3);
    QCOMPARE(pending.recordCount(), 2);

    // A post through one is seen by the other at once, which keeps its current row.
    QSignalSpy rows(&pending, &Dataset::rowsChanged);
    QSignalSpy current(&pending, &Dataset::currentChanged);
    addRow(all, {{"Clave", "d"}, {"Nombre", "AAA"}});
    QVERIFY(rows.count() > 0);
    QVERIFY(current.count() > 0);
    QCOMPARE(column(pending, QStringLiteral("Clave")).join(QString()), QStringLiteral("dca"));
    QCOMPARE(key(pending), QStringLiteral("c"));

    rows.clear();
    all.first();
    all.edit();
    all.setText(QStringLiteral("Nombre"), QStringLiteral("MARTA"));
    all.post();
    QVERIFY(rows.count() > 0);
    QCOMPARE(pending.textAt(2, QStringLiteral("Nombre")), QStringLiteral("MARTA"));
}

void TestDataset::postedRowLeavesFilteredView()
{
    Folder folder;
    Dataset pending(&folder.session, QStringLiteral("Abiertos"), QStringLiteral("registro"));
    pending.setFilter(QStringLiteral("anio=null"));
    pending.setFiltered(true);
    pending.open();
    fillThree(pending);
    QCOMPARE(column(pending, QStringLiteral("Clave")), (QStringList{"a", "c"}));
    pending.first();
    pending.edit();
    pending.setText(QStringLiteral("Anio"), QStringLiteral("2024"));
    pending.post();
    QCOMPARE(column(pending, QStringLiteral("Clave")), QStringList{"c"});
    QCOMPARE(key(pending), QStringLiteral("c"));  // the row that took its place

    // Still in the table.
    Dataset all(&folder.session, QStringLiteral("Todos"), QStringLiteral("registro"));
    all.open();
    QCOMPARE(column(all, QStringLiteral("Anio")), (QStringList{"2024", "2016", ""}));

    // A new row that does not match is stored and leaves the view too.
    addRow(pending, {{"Clave", "e"}, {"Anio", "2025"}});
    QCOMPARE(pending.recordCount(), 1);
    QCOMPARE(all.recordCount(), 4);
}

void TestDataset::editOfRowDeletedElsewhereIsNotLost()
{
    Folder folder;
    Dataset editor(&folder.session, QStringLiteral("Editor"), QStringLiteral("registro"));
    Dataset other(&folder.session, QStringLiteral("Otro"), QStringLiteral("registro"));
    editor.open();
    other.open();
    fillThree(editor);
    editor.first();
    editor.edit();
    editor.setText(QStringLiteral("Nombre"), QStringLiteral("CAMBIO"));
    other.first();
    other.remove();

    // The change has no row to go to: that is an error, not a silent success.
    QVERIFY_THROWS_EXCEPTION(StoreError, editor.post());
    QCOMPARE(editor.state(), DatasetState::Edit);
    QCOMPARE(editor.text(QStringLiteral("Nombre")), QStringLiteral("CAMBIO"));
    editor.cancel();
    QCOMPARE(column(editor, QStringLiteral("Nombre")), (QStringList{"ZOE", "ANA"}));
}

void TestDataset::oneRowChangeMovesOneRow_data()
{
    QTest::addColumn<QString>("action");    // insert, edit or delete through another view
    QTest::addColumn<QString>("row");       // Clave of the row
    QTest::addColumn<QString>("nombre");    // "-": left as it is; empty: null
    QTest::addColumn<QString>("anio");      // the same
    QTest::addColumn<QString>("expected");  // the watching view's Claves, in its order
    // The watching view, by name under "anio=null", holds e (no name), c ANA, a MARIA.
    QTest::newRow("insert first") << "insert"
                                  << "f"
                                  << "AAA"
                                  << ""
                                  << "efca";
    QTest::newRow("insert between") << "insert"
                                    << "f"
                                    << "BETO"
                                    << ""
                                    << "ecfa";
    QTest::newRow("insert last") << "insert"
                                 << "f"
                                 << "ZZZ"
                                 << ""
                                 << "ecaf";
    QTest::newRow("insert without a name") << "insert"
                                           << "f"
                                           << ""
                                           << ""
                                           << "efca";
    QTest::newRow("insert outside the filter") << "insert"
                                               << "f"
                                               << "BETO"
                                               << "2020"
                                               << "eca";
    QTest::newRow("edit that moves the row") << "edit"
                                             << "a"
                                             << "AAA"
                                             << "-"
                                             << "eac";
    QTest::newRow("edit that keeps its place") << "edit"
                                               << "a"
                                               << "MARIO"
                                               << "-"
                                               << "eca";
    QTest::newRow("edit to no name") << "edit"
                                     << "c"
                                     << ""
                                     << "-"
                                     << "cea";
    QTest::newRow("edit out of the filter") << "edit"
                                            << "c"
                                            << "-"
                                            << "2020"
                                            << "ea";
    QTest::newRow("edit into the filter") << "edit"
                                          << "b"
                                          << "-"
                                          << ""
                                          << "ecab";
    QTest::newRow("delete") << "delete"
                            << "c"
                            << "-"
                            << "-"
                            << "ea";
    QTest::newRow("delete outside the filter") << "delete"
                                               << "b"
                                               << "-"
                                               << "-"
                                               << "eca";
}

// A post or delete of one row places that row alone in a view that has read its list: the list
// then reads as a fresh view's, without being read again, and the view keeps its current row.
void TestDataset::oneRowChangeMovesOneRow()
{
    QFETCH(QString, action);
    QFETCH(QString, row);
    QFETCH(QString, nombre);
    QFETCH(QString, anio);
    QFETCH(QString, expected);
    Folder folder;
    Dataset editor(&folder.session, QStringLiteral("Editor"), QStringLiteral("registro"));
    editor.setIndexName(QStringLiteral("indx_registro_clave"));
    editor.open();
    fillThree(editor);
    addRow(editor, {{"Clave", "e"}});
    Dataset watch(&folder.session, QStringLiteral("Vista"), QStringLiteral("registro"));
    watch.setIndexName(QStringLiteral("indx_registro_nombre"));
    watch.setFilter(QStringLiteral("anio=null"));
    watch.setFiltered(true);
    watch.open();
    QCOMPARE(column(watch, QStringLiteral("Clave")).join(QString()), QStringLiteral("eca"));
    watch.last();  // a
    QSignalSpy resets(&watch, &Dataset::rowsReset);
    QSignalSpy changes(&watch, &Dataset::rowsChanged);

    const auto assign = [&editor](const char* field, const QString& value) {
        if (value != QLatin1String("-"))
            editor.setText(QString::fromLatin1(field), value);
    };
    if (action == QLatin1String("insert")) {
        editor.insert();
        editor.setText(QStringLiteral("Clave"), row);
    } else {
        QVERIFY(editor.findKey({row}));
        if (action == QLatin1String("edit"))
            editor.edit();
    }
    if (action == QLatin1String("delete")) {
        editor.remove();
    } else {
        assign("Nombre", nombre);
        assign("Anio", anio);
        editor.post();
    }

    QCOMPARE(resets.count(), 0);
    const bool seen = QStringLiteral("eca").contains(row) || expected.contains(row);
    QCOMPARE(changes.count(), seen ? 1 : 0);
    QCOMPARE(column(watch, QStringLiteral("Clave")).join(QString()), expected);
    QCOMPARE(key(watch), QStringLiteral("a"));
    QCOMPARE(watch.recNo(), int(expected.indexOf(QLatin1Char('a'))));
    Dataset fresh(&folder.session, QStringLiteral("Nueva"), QStringLiteral("registro"));
    fresh.setIndexName(QStringLiteral("indx_registro_nombre"));
    fresh.setFilter(QStringLiteral("anio=null"));
    fresh.setFiltered(true);
    fresh.open();
    QCOMPARE(column(fresh, QStringLiteral("Clave")), column(watch, QStringLiteral("Clave")));
}

void TestDataset::endsFoundBeforeTheListIsRead_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("filter");
    QTest::newRow("by row") << ""
                            << "";
    QTest::newRow("by name, a row without one") << "indx_registro_nombre"
                                                << "";
    QTest::newRow("by name, filtered") << "indx_registro_nombre"
                                       << "anio=null";
    QTest::newRow("filtered to nothing") << "indx_registro_clave"
                                         << "anio='1999'";
}

// first() and last() on a view that has not read its list yet stand where they would have
// stood on the list, with the same position, ends and next step.
void TestDataset::endsFoundBeforeTheListIsRead()
{
    QFETCH(QString, index);
    QFETCH(QString, filter);
    Folder folder;
    Dataset editor(&folder.session, QStringLiteral("Editor"), QStringLiteral("registro"));
    editor.open();
    fillThree(editor);
    addRow(editor, {{"Clave", "e"}});
    const auto view = [&](const QString& name) {
        auto* ds = new Dataset(&folder.session, name, QStringLiteral("registro"), &editor);
        ds->setIndexName(index);
        ds->setFilter(filter);
        ds->setFiltered(!filter.isEmpty());
        ds->open();
        return ds;
    };
    Dataset* read = view(QStringLiteral("Leida"));
    read->recordCount();
    for (const bool toLast : {false, true}) {
        Dataset* fresh = view(QStringLiteral("Nueva"));
        if (toLast) {
            read->last();
            fresh->last();
        } else {
            read->first();
            fresh->first();
        }
        QCOMPARE(key(*fresh), key(*read));
        const bool bof = read->bof();
        const int position = read->recNo();
        fresh->next();
        read->next();
        QCOMPARE(fresh->eof(), read->eof());
        QCOMPARE(key(*fresh), key(*read));
        QCOMPARE(fresh->recNo(), read->recNo());
        QVERIFY(read->recNo() == position || !toLast);
        if (!toLast)
            QCOMPARE(bof, true);
    }
}

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
