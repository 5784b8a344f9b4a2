#include "DataFolder.h"
#include "ScriptedPrompt.h"
#include "TableFiles.h"
#include "data/Schema.h"
#include "data/UModulo.h"
#include "declaration/PeriodFiling.h"
#include "maintenance/windows/UReparar.h"
#include "widgets/ModalDialog.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

using tablefiles::Rows;

namespace {

const QString Idle = QStringLiteral("Herramienta de Reparación");
const QString Success = QStringLiteral("La Reparación se ha completado con exito.");
const QString Failure = QStringLiteral(
    "No se ha podido Reparar la totalidad de la \nBase de Datos.\n"
    "Comuníquese con la Dirección de Recaudación\n"
    "Provincial o con su delegación más cercana.");

// Table, file and the base name the dialog repairs it under.
struct TableFile {
    QString table, file, base;
};
const QList<TableFile> Tables{
    {"anticipos", "Anticipos.db", "Anticipos"}, {"cliente", "cliente.DB", "Cliente"},
    {"detalle", "detalle.DB", "Detalle"},       {"formularios", "Formularios.db", "Formularios"},
    {"imprenta", "imprenta.db", "Imprenta"},    {"maquina", "Maquina.DB", "Maquina"}};

// A C.U.I.T. that passes the check digit, from a running number.
QString cuit(int n)
{
    static const int weights[] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    for (int k = n;; k += 1000) {
        const QString body = QStringLiteral("20%1").arg(k, 8, 10, QLatin1Char('0'));
        int sum = 0;
        for (int i = 0; i < 10; ++i)
            sum += (body[i].unicode() - '0') * weights[i];
        const int check = 11 - sum % 11;
        if (check == 10)
            continue;
        return body + QString::number(check == 11 ? 0 : check);
    }
}

QString visibleText(QDialog& dialog)
{
    QStringList shown;
    for (const char* name : {"Memo1", "Memo2", "Memo3", "Memo4"}) {
        auto* memo = dialog.findChild<QLabel*>(QLatin1String(name));
        if (memo && memo->isVisibleTo(&dialog))
            shown << memo->text();
    }
    return shown.join(QStringLiteral(" | "));
}

QPushButton* button(QDialog& dialog, const char* name) { return dialog.findChild<QPushButton*>(QLatin1String(name)); }

}  // namespace

// The repair as the user meets it, over a copy of a data folder filled with known rows and then
// damaged: the data module's views closed, the dialog shown and its buttons pressed, the views
// opened again; then what is left on disk and in the views.
class TestReparar : public QObject {
    Q_OBJECT

private:
    enum Damage { None, NoBackFolder, Truncated, GarbagePages, TextFile, Missing, DuplicateCuit, OddValues };

    std::unique_ptr<DataFolder> m_master;
    QMap<QString, Rows> m_known;  // the master's rows, by table
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<DataFolder> m_work;

    // What the dialog showed, read while it was up.
    struct Seen {
        QString onShow, afterRun;
        bool repairEnabledAfterRun = true;
        QStringList boxesDuringRun;
        QStringList report;   // the list of tables shown after the run
        QString reopenError;  // what opening the views again said
    } m_seen;
    // Tables whose lost rows may be listed in PROBLEM.DB by what their indexes kept of them.
    QSet<QString> m_lostRows;

    QString tables() const { return m_work->file(QStringLiteral("tablas")); }
    QString tablePath(const QString& file) const { return QDir(tables()).filePath(file); }
    QString backupPath(const QString& base) const
    {
        return QDir(tables()).filePath(QStringLiteral("back/%1_BK.db").arg(base));
    }

    static void fillMaster(TDModulo& m)
    {
        store::Transaction fill(m.Session1_1->database());
        store::Dataset* agent = m.TImprentas;
        agent->edit();
        agent->setText(QStringLiteral("Cuit"), cuit(1));
        agent->setText(QStringLiteral("Nombre"), QStringLiteral("Imprenta del Sol"));
        agent->setValue(QStringLiteral("Codigo_Postal"), 5000);
        agent->post();
        for (int i = 1; i <= 40; ++i) {
            m.TCliente->insert();
            m.TCliente->setText(QStringLiteral("Cuit"), cuit(100 + i));
            m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("Cliente Número %1 S.A.").arg(i));
            m.TCliente->setText(QStringLiteral("Localidad"), QStringLiteral("Villa Añelo"));
            m.TCliente->post();
        }
        for (int i = 1; i <= 1500; ++i) {
            store::Dataset* d = m.TVerDetalles;
            d->insert();
            d->setValue(QStringLiteral("Cliente"), 1 + i % 40);
            d->setText(QStringLiteral("Fecha"), QStringLiteral("%1/03/2016").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
            d->setText(QStringLiteral("Tipo_comprobante"),
                       QStringLiteral("Factura %1 - lote %2").arg(QChar('A' + i % 3)).arg(i));
            d->setValue(QStringLiteral("NDesde"), double(i * 100 + 1));
            d->setValue(QStringLiteral("NHasta"), double(i * 100 + 50));
            d->setValue(QStringLiteral("CanTalonarios"), 50.0);
            if (i <= 1000) {  // the rest are the open period
                d->setText(QStringLiteral("Anio"), QStringLiteral("2016"));
                d->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
            }
            d->setText(QStringLiteral("Anulado"), QStringLiteral("N"));
            d->setText(QStringLiteral("Punto_Venta"), QStringLiteral("0001"));
            d->post();
        }
        for (int i = 1; i <= 60; ++i) {
            store::Dataset* d = m.TVerMaquinas;
            d->insert();
            d->setValue(QStringLiteral("Cliente_id"), 1 + i % 40);
            d->setText(QStringLiteral("Marca"), QStringLiteral("Marca %1").arg(i));
            d->setText(QStringLiteral("Modelo"), QStringLiteral("Modelo %1").arg(i));
            d->setValue(QStringLiteral("Precio"), 1000.5 + i);
            d->setText(QStringLiteral("Serie"), QStringLiteral("S-%1").arg(i));
            d->post();
        }
        for (int month = 1; month <= 4; ++month) {
            m.TAnticipos->insert();
            m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2016"));
            m.TAnticipos->setText(QStringLiteral("Anticipo"), QString::number(month));
            m.TAnticipos->post();
        }
        for (const char* tipo : {"Factura A", "Factura B", "Recibo C"}) {
            m.TFormulario->insert();
            m.TFormulario->setText(QStringLiteral("Tipo_comprobante"), QLatin1String(tipo));
            m.TFormulario->setValue(QStringLiteral("Cantidad"), 12.0);
            m.TFormulario->post();
        }
        fill.commit();
    }

    // Damages the work folder's files; answers the rows each table should hold after the repair,
    // and fills the rows expected in the side tables.
    QMap<QString, Rows> damage(Damage kind, QMap<QString, Rows>* keyViol, QMap<QString, Rows>* problem)
    {
        QMap<QString, Rows> expected = m_known;
        const QString detalle = tablePath(QStringLiteral("detalle.DB"));
        switch (kind) {
        case None:
            break;
        case NoBackFolder:
            QDir(QDir(tables()).filePath(QStringLiteral("back"))).removeRecursively();
            break;
        case Truncated: {
            // The rows on the leaves past the cut are gone; those before it can all be read.
            const QByteArray data = tablefiles::bytes(detalle);
            const int pages = int(data.size() / tablefiles::pageSize(detalle));
            const QList<tablefiles::Leaf> leaves = tablefiles::leaves(detalle, QStringLiteral("detalle"));
            for (const tablefiles::Leaf& leaf : leaves)
                if (leaf.page > pages / 2)
                    for (qint64 id : leaf.rowids)
                        expected[QStringLiteral("detalle")].remove(id);
            m_lostRows << QStringLiteral("detalle");
            tablefiles::write(detalle, data.left(qsizetype(pages / 2) * tablefiles::pageSize(detalle)));
            break;
        }
        case GarbagePages: {
            // The first leaf, two side by side, one more in the middle and the last: the rows
            // between them must be reached from both sides.
            const QList<tablefiles::Leaf> leaves = tablefiles::leaves(detalle, QStringLiteral("detalle"));
            const int n = int(leaves.size());
            for (int index : {0, n / 3, n / 3 + 1, 2 * n / 3, n - 1}) {
                tablefiles::garblePage(detalle, leaves[index].page, quint32(index + 7));
                for (qint64 id : leaves[index].rowids)
                    expected[QStringLiteral("detalle")].remove(id);
            }
            m_lostRows << QStringLiteral("detalle");
            break;
        }
        case TextFile:
            // Nothing in it is a row: it stays as it is, for whoever can make something of it.
            tablefiles::write(tablePath(QStringLiteral("cliente.DB")),
                              "Id;Cuit;Razon social\r\n1;20000001013;Cliente Uno\r\n");
            expected[QStringLiteral("cliente")].clear();
            break;
        case Missing:
            QFile::remove(tablePath(QStringLiteral("Maquina.DB")));
            expected[QStringLiteral("maquina")].clear();
            break;
        case DuplicateCuit: {
            // The file as a foreign program could have left it: no unique index, and client 17
            // with the C.U.I.T. of client 3.
            const QString file = tablePath(QStringLiteral("cliente.DB"));
            QFile::remove(file);
            const store::TableDef& def = schema::table(QStringLiteral("cliente"));
            tablefiles::exec(file, QStringLiteral("PRAGMA application_id=%1; PRAGMA user_version=%2; %3")
                                       .arg(store::Database::ApplicationId)
                                       .arg(store::Database::SchemaVersion)
                                       .arg(def.createSql(QStringLiteral("main"))));
            tablefiles::exec(file, QStringLiteral("ATTACH '%1' AS old; INSERT INTO cliente SELECT * FROM old.cliente; "
                                                  "UPDATE cliente SET Cuit = '%2' WHERE Id_cliente = 17")
                                       .arg(m_master->file(QStringLiteral("tablas/cliente.DB")),
                                            m_known[QStringLiteral("cliente")][3][1]));
            Rows& clients = expected[QStringLiteral("cliente")];
            QStringList seventeen = clients.take(17);
            seventeen[1] = clients[3][1];
            (*keyViol)[QStringLiteral("cliente")].insert(17, seventeen);
            break;
        }
        case OddValues: {
            // What damage inside a page can leave: a blob and a word where numbers belong.
            tablefiles::exec(detalle, QStringLiteral("UPDATE detalle SET NDesde = x'00ff' WHERE Detalle_id = 5; "
                                                     "UPDATE detalle SET NHasta = 'catorce' WHERE Detalle_id = 6"));
            Rows& rows = expected[QStringLiteral("detalle")];
            QStringList five = rows.take(5), six = rows.take(6);
            five[4] = QStringLiteral("x'00ff'");
            six[5] = QStringLiteral("catorce");
            (*problem)[QStringLiteral("detalle")].insert(5, five);
            (*problem)[QStringLiteral("detalle")].insert(6, six);
            break;
        }
        }
        return expected;
    }

    // What "Reparar Base" in the main menu does, with the dialog's buttons pressed.
    void runRepair(const std::function<void(QDialog&)>& whileShown = {})
    {
        TFReparacion repair;
        setModalHandler([this, whileShown](QDialog& dialog) {
            dialog.show();
            m_seen.onShow = visibleText(dialog);
            const qsizetype before = m_prompt->shown().size();
            QTest::mouseClick(button(dialog, "BitBtn1"), Qt::LeftButton);
            m_seen.afterRun = visibleText(dialog);
            m_seen.repairEnabledAfterRun = button(dialog, "BitBtn1")->isEnabled();
            auto* report = dialog.findChild<QPlainTextEdit*>(QStringLiteral("Informe"));
            if (report && report->isVisibleTo(&dialog))
                m_seen.report = report->toPlainText().split(QLatin1Char('\n'));
            for (qsizetype i = before; i < m_prompt->shown().size(); ++i)
                m_seen.boxesDuringRun << m_prompt->shown()[i].text;
            if (whileShown)
                whileShown(dialog);
            QTest::mouseClick(button(dialog, "BitBtn2"), Qt::LeftButton);
            return int(QDialog::Rejected);
        });
        DModulo->CerrarTablas();
        showModal(repair);
        try {
            DModulo->AbrirTablas();
        } catch (const store::StoreError& e) {
            m_seen.reopenError = e.text();
        }
    }

    // The declaration of the filed period 2016/03 as its re-issue files it, a line a list entry.
    QList<QByteArray> reissue()
    {
        TDModulo& m = *DModulo;
        const QString anio = QStringLiteral("2016"), anticipo = QStringLiteral("03");
        m.TAnticipos->first();
        while (!m.TAnticipos->eof() && (m.TAnticipos->text(QStringLiteral("Anio")) != anio ||
                                        m.TAnticipos->text(QStringLiteral("Anticipo")) != anticipo))
            m.TAnticipos->next();
        const QString folder = m_work->file(QStringLiteral("salida"));
        QDir().mkpath(folder);
        const filing::Outcome outcome = filing::fileFiledPeriod(m, *m_prompt, folder, false);
        if (outcome.result != filing::Result::Filed)
            return {"the re-issue stopped: " + m_prompt->texts().join(QStringLiteral(" / ")).toUtf8()};
        QList<QByteArray> lines = tablefiles::bytes(outcome.path).split('\n');
        QFile::remove(outcome.path);
        return lines;
    }

    void checkViewsOpen()
    {
        const TDModulo& m = *DModulo;
        for (const store::Dataset* view : {m.TImprentas, m.TCliente, m.TDetalles, m.TVerDetalles, m.TAnticipos,
                                           m.TMaquinas, m.TVerMaquinas, m.TFormulario})
            QVERIFY2(view->active(), qPrintable(view->name()));
    }

private slots:
    void initTestCase()
    {
        m_master = std::make_unique<DataFolder>();
        fillMaster(m_master->modulo());
        m_master->modulo().CerrarTablas();
        for (const TableFile& t : Tables)
            m_known.insert(t.table, tablefiles::tableRows(m_master->file(QStringLiteral("tablas/") + t.file), t.table));
        QCOMPARE(m_known[QStringLiteral("detalle")].size(), 1500);
        QVERIFY(
            tablefiles::leaves(m_master->file(QStringLiteral("tablas/detalle.DB")), QStringLiteral("detalle")).size() >
            20);
    }

    void init()
    {
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_work = std::make_unique<DataFolder>();
        m_seen = {};
        m_lostRows.clear();
        QVERIFY(QDir().mkpath(QDir(tables()).filePath(QStringLiteral("back"))));
        QVERIFY(QDir().mkpath(QDir(tables()).filePath(QStringLiteral("ddjj"))));
        for (const TableFile& t : Tables)
            QVERIFY(QFile::copy(m_master->file(QStringLiteral("tablas/") + t.file), tablePath(t.file)));
        // The program is running over the folder when its files are damaged.
        m_work->modulo().CerrarTablas();
    }

    void cleanup()
    {
        setModalHandler({});
        m_work.reset();
        m_prompt.reset();
    }

    void repair_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("damagedTable");  // its verification finds something; the others' nothing
        QTest::newRow("six healthy tables") << int(None) << Success << "";
        QTest::newRow("no back folder") << int(NoBackFolder) << Success << "";
        QTest::newRow("detalle truncated in its middle") << int(Truncated) << Failure << "detalle.DB";
        QTest::newRow("garbage over pages of detalle") << int(GarbagePages) << Failure << "detalle.DB";
        QTest::newRow("a text file as cliente") << int(TextFile) << Failure << "cliente.DB";
        QTest::newRow("Maquina.DB missing") << int(Missing) << Failure << "Maquina.DB";
        QTest::newRow("two clients with one C.U.I.T.") << int(DuplicateCuit) << Failure << "cliente.DB";
        QTest::newRow("values detalle's fields cannot hold") << int(OddValues) << Failure << "detalle.DB";
    }

    void repair()
    {
        QFETCH(int, kind);
        QFETCH(QString, result);
        QFETCH(QString, damagedTable);

        QMap<QString, Rows> keyViol, problem;
        const QMap<QString, Rows> expected = damage(Damage(kind), &keyViol, &problem);
        if (QTest::currentTestFailed())
            return;
        QMap<QString, QByteArray> before;  // the files as the repair finds them
        for (const TableFile& t : Tables)
            if (QFileInfo::exists(tablePath(t.file)))
                before.insert(t.base, tablefiles::bytes(tablePath(t.file)));

        runRepair();

        QCOMPARE(m_seen.onShow, Idle);
        QCOMPARE(m_seen.afterRun, result);
        QVERIFY(!m_seen.repairEnabledAfterRun);
        QCOMPARE(m_seen.boxesDuringRun, QStringList());
        QCOMPARE(m_prompt->texts(), QStringList());
        // A line for each table, in the order they were repaired; after a failed run, below a
        // blank line, the way back: a restore.
        if (result == Failure) {
            QCOMPARE(m_seen.report.size(), Tables.size() + 2);
            QCOMPARE(m_seen.report[Tables.size()], QString());
            QVERIFY2(m_seen.report.last().contains(QStringLiteral("Herramientas / Restaurar Copia…")),
                     qPrintable(m_seen.report.last()));
        } else {
            QCOMPARE(m_seen.report.size(), Tables.size());
        }
        for (int i = 0; i < Tables.size(); ++i)
            QVERIFY2(m_seen.report[i].startsWith(Tables[i].file + QLatin1Char(':')), qPrintable(m_seen.report[i]));
        if (kind == TextFile) {
            // Left as it was: the program cannot open it, and says which file it is.
            QVERIFY(tablefiles::bytes(tablePath(QStringLiteral("cliente.DB"))) == before[QStringLiteral("Cliente")]);
            QVERIFY2(m_seen.report[1].contains(QStringLiteral("quedó como estaba")), qPrintable(m_seen.report[1]));
            QVERIFY2(m_seen.reopenError.contains(QLatin1String("cliente.DB")), qPrintable(m_seen.reopenError));
            return;
        }
        QCOMPARE(m_seen.reopenError, QString());
        checkViewsOpen();

        for (const TableFile& t : Tables) {
            QCOMPARE(tablefiles::tableRows(tablePath(t.file), t.table), expected[t.table]);
            QVERIFY(!QFileInfo::exists(tablePath(t.file) + QStringLiteral(".nuevo")));
            // Each table found gets a backup equal byte for byte to what was found.
            QCOMPARE(QFileInfo::exists(backupPath(t.base)), before.contains(t.base));
            if (before.contains(t.base))
                QVERIFY2(tablefiles::bytes(backupPath(t.base)) == before[t.base], qPrintable(t.base));
        }
        // The views show what was saved.
        QCOMPARE(DModulo->TCliente->recordCount(), expected[QStringLiteral("cliente")].size());
        int open = 0;
        for (const QStringList& row : expected[QStringLiteral("detalle")])
            open += row[7] == QLatin1String("<null>") ? 1 : 0;
        QCOMPARE(DModulo->TDetalles->recordCount(), open);

        for (const auto& [file, rows] :
             {std::pair{QStringLiteral("KEYVIOL.DB"), keyViol}, std::pair{QStringLiteral("PROBLEM.DB"), problem}}) {
            if (file == QLatin1String("PROBLEM.DB") && !m_lostRows.isEmpty()) {
                // Rows lost with their pages, listed by the keys their indexes still hold.
                for (const QString& table : m_lostRows)
                    for (qint64 id : tablefiles::setAside(tablePath(file), table).keys())
                        QVERIFY(m_known[table].contains(id) && !expected[table].contains(id));
                continue;
            }
            QCOMPARE(QFileInfo::exists(tablePath(file)), !rows.isEmpty());
            for (auto it = rows.cbegin(); it != rows.cend(); ++it)
                QCOMPARE(tablefiles::setAside(tablePath(file), it.key()), it.value());
        }

        // The verification's findings: something for the damaged table, nothing for the rest.
        const Rows levels = tablefiles::query(
            tablePath(QStringLiteral("VERIFY.DB")),
            QStringLiteral("SELECT row_number() OVER (ORDER BY Tabla), Tabla, max(Nivel) FROM verify GROUP BY Tabla"));
        QCOMPARE(levels.size(), 6);
        for (const QStringList& level : levels)
            QVERIFY2((level[1] != QLatin1String("0")) == (level[0] == damagedTable), qPrintable(level.join(' ')));
    }

    // A re-issue after the repair writes what it wrote before the damage, less the rows that were
    // on the destroyed pages, and nothing else.
    void reissueAfterRepair()
    {
        DModulo->AbrirTablas();
        const QList<QByteArray> before = reissue();
        DModulo->CerrarTablas();
        const QString detalle = tablePath(QStringLiteral("detalle.DB"));
        const QList<tablefiles::Leaf> leaves = tablefiles::leaves(detalle, QStringLiteral("detalle"));
        QList<qint64> lost;
        for (int index : {2, 5}) {
            tablefiles::garblePage(detalle, leaves[index].page, quint32(index));
            lost << leaves[index].rowids;
        }

        runRepair();
        QCOMPARE(m_seen.reopenError, QString());
        const QList<QByteArray> after = reissue();

        // Every detail row carries its own lot number, the row's number.
        QList<QByteArray> expected;
        int dropped = 0;
        for (const QByteArray& line : before) {
            bool gone = false;
            for (qint64 id : lost)
                gone = gone || line.contains(QStringLiteral(" - lote %1'").arg(id).toLatin1());
            if (gone)
                ++dropped;
            else
                expected << line;
        }
        QVERIFY(dropped > 0);
        int filedLost = 0;
        for (qint64 id : lost)
            filedLost += id <= 1000 ? 1 : 0;  // the rows of 2016/03 are the first thousand
        QCOMPARE(dropped, filedLost);
        QCOMPARE(after, expected);
    }

    void failedVerificationStopsTheRun()
    {
        // A report table that cannot be written stops the run at the first table.
        tablefiles::write(tablePath(QStringLiteral("VERIFY.DB")), "esto no es una tabla");
        QMap<QString, QByteArray> before;
        for (const TableFile& t : Tables)
            before.insert(t.file, tablefiles::bytes(tablePath(t.file)));

        runRepair();

        QCOMPARE(m_seen.afterRun, Failure);
        QVERIFY(!m_seen.repairEnabledAfterRun);
        QCOMPARE(m_seen.boxesDuringRun.size(), 1);
        QVERIFY2(m_seen.boxesDuringRun[0].contains(QLatin1String("VERIFY.DB")), qPrintable(m_seen.boxesDuringRun[0]));
        QCOMPARE(m_prompt->shown()[0].icon, PromptIcon::Error);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        for (const TableFile& t : Tables)
            QVERIFY2(tablefiles::bytes(tablePath(t.file)) == before[t.file], qPrintable(t.file));
        // The safety copy made before the run is all there is in back/.
        QCOMPARE(
            QDir(QDir(tables()).filePath(QStringLiteral("back"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("auto")});
        checkViewsOpen();
    }

    void repairOnlyOncePerShowing()
    {
        QString reopened;
        bool enabledAgain = false;
        runRepair([&](QDialog& dialog) {
            dialog.hide();
            dialog.show();
            reopened = visibleText(dialog);
            enabledAgain = button(dialog, "BitBtn1")->isEnabled();
        });
        QCOMPARE(m_seen.afterRun, Success);
        QVERIFY(!m_seen.repairEnabledAfterRun);
        QCOMPARE(reopened, Idle);
        QVERIFY(enabledAgain);
    }
};

QTEST_MAIN(TestReparar)
#include "tst_reparar.moc"
