#include "OpenStore.h"
#include "SampleCuit.h"
#include "SamplePeriod.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "data/store/AliasConfig.h"
#include "data/store/Database.h"
#include "declaration/DeclarationFile.h"
#include "declaration/PeriodFiling.h"
#include "details/PeriodRows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using fixture::cuitFor;

// Filing a period and re-issuing one, without windows: what each stop leaves.
namespace {

const QString Anio = QStringLiteral("2024");
const QString Anticipo = QStringLiteral("3");
const QString Success = QStringLiteral("La Presentación Fue Generada con Exito");
const QByteArray Earlier = "una presentación anterior del mismo período\r\n";

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<ninguno>");
}

using Store = fixture::OpenStore;

// The pending period row the generate form starts.
void newPeriod(TDModulo& m, const QString& anio = Anio, const QString& anticipo = Anticipo)
{
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), anio);
    m.TAnticipos->setText(QStringLiteral("Anticipo"), anticipo);
}

// What a filing that stops must leave as it was.
struct Snapshot {
    qint64 periods, open, stamped, totals;
    QStringList files;
    QByteArray declaration;
    double recPre;
    bool operator==(const Snapshot&) const = default;
};

QString target(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("ddjj/") + cuitFor(99999999) + QStringLiteral("202403.imp"));
}

}  // namespace

class TestFiling : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<Store> m_store;

    QString folder() const { return m_dir->filePath(QStringLiteral("tablas")); }
    QString ddjj() const { return QDir(folder()).filePath(QStringLiteral("ddjj")); }
    TDModulo& m() { return m_store->modulo; }

    Snapshot snapshot()
    {
        return {m_store->periods(),
                m_store->openRows(),
                m_store->count(QStringLiteral("detalle"), QStringLiteral("Anio IS NOT NULL")) +
                    m_store->count(QStringLiteral("maquina"), QStringLiteral("Anio IS NOT NULL")),
                m_store->count(QStringLiteral("formularios")),
                QDir(ddjj()).entryList(QDir::Files),
                bytes(target(folder())),
                m().TAnticipos->isEmpty() ? -1 : m().TAnticipos->asFloat(QStringLiteral("Rec_pre"))};
    }

    // A value written past the rules, as a restored or legacy table may hold it; the views read
    // the tables again.
    void plant(const QString& table, const QString& assignment, const QString& where = QStringLiteral("1"))
    {
        m_store->db().exec(
            QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(m_store->db().qualifiedTable(table), assignment, where));
        for (store::Dataset* view : {m().TImprentas, m().TCliente, m().TDetalles, m().TMaquinas})
            view->refresh();
    }

    // Another open printed-forms row of the first client.
    void addOpenForm(double desde, double hasta, const QString& puntoVenta = {})
    {
        store::Dataset* d = m().TDetalles;
        d->insert();
        d->setValue(QStringLiteral("Cliente"), 1);
        d->setText(QStringLiteral("Fecha"), QStringLiteral("20/03/2024"));
        d->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("Factura A"));
        d->setValue(QStringLiteral("NDesde"), desde);
        d->setValue(QStringLiteral("NHasta"), hasta);
        d->setValue(QStringLiteral("CanTalonarios"), hasta - desde + 1);
        d->setText(QStringLiteral("Punto_Venta"), puntoVenta);
        d->setText(QStringLiteral("Anulado"), QStringLiteral("N"));
        d->post();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_store = std::make_unique<Store>(folder());
        fixture::fillOpenPeriod(m());
    }

    void cleanup()
    {
        m_store.reset();
        m_prompt.reset();
        m_dir.reset();
    }

    void filesTheOpenPeriod()
    {
        newPeriod(m());
        const filing::Outcome outcome = filing::fileOpenPeriod(m(), *m_prompt, ddjj());
        QCOMPARE(int(outcome.result), int(filing::Result::Filed));
        QCOMPARE(outcome.path, target(folder()));
        QCOMPARE(m_prompt->texts(), QStringList{Success});
        QCOMPARE(m_store->openRows(), 0);
        QCOMPARE(m_store->periods(), 1);
        QVERIFY(bytes(outcome.path).startsWith("TARVENIOV1.2\r\n"));
        QCOMPARE(QDir(ddjj()).entryList(QDir::Files), QStringList{QFileInfo(outcome.path).fileName()});
        QCOMPARE(m_store->db().pendingFiles().size(), 0);
    }

    void stops_data()
    {
        QTest::addColumn<QString>("anticipo");
        QTest::addColumn<bool>("filedBefore");
        QTest::addColumn<bool>("diskette");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("result");
        QTest::newRow("no anticipo") << QString() << false << false << QStringList{"Cargar Anio y el Anticipo"}
                                     << int(filing::Result::MissingPeriod);
        QTest::newRow("filed already, typed with one digit")
            << QStringLiteral("3") << true << false << QStringList{"Este Anticipo ya fue Presentado"}
            << int(filing::Result::AlreadyFiled);
        QTest::newRow("no diskette drive")
            << QStringLiteral("3") << false << true
            << QStringList{"Inserte un diskette", "La unidad A: no está configurada"} << int(filing::Result::NoRoom);
    }

    // A stop says its message and changes nothing: the rows stay open and no file is written.
    void stops()
    {
        QFETCH(QString, anticipo);
        QFETCH(bool, filedBefore);
        QFETCH(bool, diskette);
        QFETCH(QStringList, texts);
        QFETCH(int, result);
        if (filedBefore) {
            newPeriod(m(), Anio, QStringLiteral("03"));
            m().TAnticipos->post();
        }
        const qint64 periods = m_store->periods(), open = m_store->openRows();
        newPeriod(m(), Anio, anticipo);
        const filing::Outcome outcome =
            filing::fileOpenPeriod(m(), *m_prompt, diskette ? QStringLiteral("A:\\") : ddjj());
        QCOMPARE(int(outcome.result), result);
        // Each message begins as given: the one of a drive not set up goes on to say how to set it up.
        QCOMPARE(m_prompt->texts().size(), texts.size());
        for (qsizetype i = 0; i < texts.size(); ++i)
            QVERIFY2(m_prompt->texts()[i].startsWith(texts[i]), qPrintable(m_prompt->texts()[i]));
        QVERIFY(m().TAnticipos->editing());  // the typed period is still there to correct
        QCOMPARE(m_store->periods(), periods);
        QCOMPARE(m_store->openRows(), open);
        QCOMPARE(QDir(ddjj()).entryList(QDir::Files), QStringList());
    }

    // Stamping refused after the file was written: nothing filed, and an earlier file of the same
    // name is still the earlier one.
    void failureAfterTheFileKeepsTheEarlierOne()
    {
        QFile earlier(target(folder()));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write(Earlier);
        earlier.close();
        m_store->db().exec(QStringLiteral("CREATE TEMP TRIGGER no_sellar BEFORE UPDATE ON %1 "
                                          "BEGIN SELECT RAISE(ABORT, 'sellado rechazado'); END")
                               .arg(m_store->db().qualifiedTable(QStringLiteral("maquina"))));
        const qint64 open = m_store->openRows();
        newPeriod(m());
        QVERIFY_THROWS_EXCEPTION(store::StoreError, filing::fileOpenPeriod(m(), *m_prompt, ddjj()));
        QCOMPARE(bytes(target(folder())), Earlier);
        QCOMPARE(QDir(ddjj()).entryList(QDir::Files), QStringList{QFileInfo(target(folder())).fileName()});
        QCOMPARE(m_store->periods(), 0);
        QCOMPARE(m_store->openRows(), open);
        QCOMPARE(m_store->db().pendingFiles().size(), 0);
    }

    // A change typed into a view and never stored does not outlive the filing: the file, the
    // stamped rows and the stored values are the same.
    void pendingEditIsDropped()
    {
        store::Dataset* machines = m().TMaquinas;
        machines->first();
        machines->edit();
        machines->setText(QStringLiteral("Modelo"), QStringLiteral("CAMBIADO"));
        newPeriod(m());
        const filing::Outcome outcome = filing::fileOpenPeriod(m(), *m_prompt, ddjj());
        QCOMPARE(int(outcome.result), int(filing::Result::Filed));
        QVERIFY(!machines->editing());
        QVERIFY(!bytes(outcome.path).contains("CAMBIADO"));
        QCOMPARE(m_store->count(QStringLiteral("maquina"), QStringLiteral("Modelo = 'CAMBIADO'")), 0);
        QCOMPARE(m_store->openRows(), 0);
        QCOMPARE(m_store->count(QStringLiteral("maquina"), QStringLiteral("Anio = '2024' AND Anticipo = '03'")), 2);
    }

    void faultsStopTheFiling_data()
    {
        QTest::addColumn<bool>("reissue");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("fault");
        const QString first = QStringLiteral("Detalle_id = 1");
        const QString client = QStringLiteral("Id_cliente = 1");
        QTest::newRow("a name wider than its field, with CR LF and a quote")
            << false << "cliente"
            << "Razon_Social = 'O''' || printf('%.70c', 'X') || char(13, 10)" << client
            << "Razón Social tiene un salto de línea";
        QTest::newRow("a client's C.U.I.T. failing its check")
            << false << "cliente"
            << "Cuit = '20123456787'" << client << "«20123456787» no es un C.U.I.T. válido";
        QTest::newRow("a row whose client is gone")
            << false << "detalle"
            << "Cliente = 99" << first << "su cliente no está en la lista de clientes";
        QTest::newRow("a form number with a fraction")
            << false << "detalle"
            << "NHasta = 150.7" << first << "N° Hasta «150,7» no es un número entero";
        QTest::newRow("a form number below zero") << false << "detalle"
                                                  << "NDesde = -5" << first << "N° Desde «-5» es negativo";
        QTest::newRow("a booklet count with a fraction")
            << false << "detalle"
            << "CanTalonarios = 50.7" << first << "Cantidad de Talonarios «50,7» no es un número entero";
        QTest::newRow("a character Windows-1252 has not") << false << "maquina"
                                                          << "Modelo = 'Ω'"
                                                          << "1"
                                                          << "Modelo tiene el carácter «Ω», que no es de Windows-1252";
        QTest::newRow("a NUL inside a text") << false << "maquina"
                                             << "Serie = 'A' || char(0) || 'B'"
                                             << "1"
                                             << "N° de Serie tiene un carácter nulo";
        QTest::newRow("an impossible machine date") << false << "maquina"
                                                    << "Fecha = '2024-02-31'"
                                                    << "1"
                                                    << "Fecha «2024-02-31» no es una fecha";
        QTest::newRow("a price stored as text") << false << "maquina"
                                                << "Precio = 'mil'"
                                                << "1"
                                                << "Precio «mil» no es un número";
        QTest::newRow("the agent's C.U.I.T. failing its check")
            << false << "imprenta"
            << "Cuit = '20123456787'"
            << "1"
            << "Datos del Agente: C.U.I.T. «20123456787» no es un C.U.I.T. válido";
        QTest::newRow("a re-issue: a form number with a fraction")
            << true << "detalle"
            << "NHasta = 150.7" << first << "N° Hasta «150,7» no es un número entero";
        QTest::newRow("a re-issue: a client's C.U.I.T. failing its check")
            << true << "cliente"
            << "Cuit = '20123456787'" << client << "«20123456787» no es un C.U.I.T. válido";
    }

    // A value the declaration cannot carry stops the filing before anything changes, naming the
    // row and the field as the clerk knows them.
    void faultsStopTheFiling()
    {
        QFETCH(bool, reissue);
        QFETCH(QString, table);
        QFETCH(QString, assignment);
        QFETCH(QString, where);
        QFETCH(QString, fault);
        if (reissue) {
            newPeriod(m());
            filing::fileOpenPeriod(m(), *m_prompt, ddjj());
            m().TAnticipos->edit();
            m().TAnticipos->setValue(QStringLiteral("Rectificativa"), 1.0);
            m().TAnticipos->post();
            m_prompt->clear();
        }
        plant(table, assignment, where);
        if (!reissue)
            newPeriod(m());
        const Snapshot before = snapshot();
        const filing::Outcome outcome = reissue ? filing::fileFiledPeriod(m(), *m_prompt, ddjj(), true)
                                                : filing::fileOpenPeriod(m(), *m_prompt, ddjj());
        QCOMPARE(int(outcome.result), int(filing::Result::Faulty));
        QCOMPARE(m_prompt->shown().size(), 1);
        const PromptMessage shown = m_prompt->last();
        QCOMPARE(int(shown.icon), int(PromptIcon::Error));
        QVERIFY2(shown.text.startsWith(QStringLiteral("No se puede generar la presentación")), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(fault), qPrintable(shown.text));
        QVERIFY(!shown.text.contains(QStringLiteral("Razon_Social")));
        QVERIFY(before == snapshot());
        QCOMPARE(m().TAnticipos->editing(), !reissue);
        QCOMPARE(m_store->db().pendingFiles().size(), 0);
    }

    void repeatedRanges_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("warning");  // empty: no question
        const QString same = QStringLiteral("repite el rango de Formulario de CLIENTE 2 SA");
        const QString earlier = QStringLiteral(
                                    "se superpone con Formulario de CLIENTE 2 SA (C.U.I.T. %1), Factura A, N° "
                                    "101 a 150, presentado en el anticipo 03/2024")
                                    .arg(cuitFor(20000001));
        QTest::newRow("the same range twice in the period, No") << 0 << int(PromptButton::No) << same;
        QTest::newRow("the same range twice in the period, Sí") << 0 << int(PromptButton::Yes) << same;
        QTest::newRow("overlapping a filed period, No") << 1 << int(PromptButton::No) << earlier;
        QTest::newRow("overlapping a filed period, Sí") << 1 << int(PromptButton::Yes) << earlier;
        QTest::newRow("overlapping a voided row of a filed period") << 2 << int(PromptButton::None) << QString();
        QTest::newRow("the same numbers at another point of sale") << 3 << int(PromptButton::None) << QString();
        QTest::newRow("next to a range, not over it") << 4 << int(PromptButton::None) << QString();
    }

    // A range of forms declared twice asks whether to file all the same, "No" by default; only
    // "Sí" files. Voided rows and other points of sale are no repetition.
    void repeatedRanges()
    {
        QFETCH(int, setup);
        QFETCH(int, answer);
        QFETCH(QString, warning);
        QString anticipo = Anticipo;
        if (setup == 1 || setup == 2) {
            newPeriod(m());
            filing::fileOpenPeriod(m(), *m_prompt, ddjj());
            m_prompt->clear();
            if (setup == 2)
                plant(QStringLiteral("detalle"), QStringLiteral("Anulado = 'S'"), QStringLiteral("Detalle_id = 1"));
            anticipo = QStringLiteral("4");
        }
        if (setup == 3)
            addOpenForm(101, 150, QStringLiteral("0002"));
        else if (setup == 4)
            addOpenForm(151, 200);
        else
            addOpenForm(setup == 0 ? 101 : 120, setup == 0 ? 150 : 180);
        if (answer != int(PromptButton::None))
            m_prompt->answer(PromptButton(answer));
        newPeriod(m(), Anio, anticipo);
        const Snapshot before = snapshot();
        const filing::Outcome outcome = filing::fileOpenPeriod(m(), *m_prompt, ddjj());
        if (warning.isEmpty()) {
            QCOMPARE(int(outcome.result), int(filing::Result::Filed));
            QCOMPARE(m_prompt->texts(), QStringList{Success});
            return;
        }
        const PromptMessage asked = m_prompt->shown().first();
        QCOMPARE(int(asked.buttons), int(PromptButtons::YesNo));
        QCOMPARE(int(asked.defaultButton), int(PromptButton::No));
        QVERIFY2(asked.text.contains(warning), qPrintable(asked.text));
        if (answer == int(PromptButton::Yes)) {
            QCOMPARE(int(outcome.result), int(filing::Result::Filed));
            QCOMPARE(m_prompt->texts().last(), Success);
            QCOMPARE(m_store->openRows(), 0);
        } else {
            QCOMPARE(int(outcome.result), int(filing::Result::Warned));
            QCOMPARE(m_prompt->shown().size(), 1);
            QVERIFY(before == snapshot());
            QVERIFY(m().TAnticipos->editing());
        }
    }

    // A fault only the whole file shows (two clients with one C.U.I.T., written past the unique
    // index): the file written is verified before the change commits, so nothing is filed.
    void writtenFileIsVerified()
    {
        const QString clients = m_store->db().qualifiedTable(QStringLiteral("cliente"));
        m_store->db().exec(
            QStringLiteral("DROP INDEX %1.indx_cliente_cuit").arg(clients.section(QLatin1Char('.'), 0, 0)));
        m_store->db().exec(QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social) SELECT Cuit, 'OTRO' FROM %1 WHERE "
                                          "Id_cliente = 1")
                               .arg(clients));
        m().TCliente->refresh();
        newPeriod(m());
        const Snapshot before = snapshot();
        QString text;
        try {
            filing::fileOpenPeriod(m(), *m_prompt, ddjj());
        } catch (const store::StoreError& e) {
            text = e.text();
        }
        QVERIFY2(text.startsWith(QStringLiteral("No se generó la presentación: la declaración escrita no pasa la "
                                                "verificación")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("está repetido")), qPrintable(text));
        QVERIFY(before == snapshot());
        QCOMPARE(m_store->db().pendingFiles().size(), 0);
        QVERIFY(!m_prompt->texts().contains(Success));
    }

    // The name under which the file waits for the commit is the program's own: a failure names
    // the file the user asked for.
    void failureNamesTheFileAsked()
    {
        const QString missing = m_dir->filePath(QStringLiteral("no-existe"));
        newPeriod(m());
        QString text;
        try {
            filing::fileOpenPeriod(m(), *m_prompt, missing);
        } catch (const store::StoreError& e) {
            text = e.text();
        }
        QVERIFY2(text.contains(QDir::toNativeSeparators(missing)), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("pendiente")), qPrintable(text));
        QCOMPARE(m_store->periods(), 0);
    }

    void reissueAndAmendment()
    {
        newPeriod(m());
        const QString first = bytes(filing::fileOpenPeriod(m(), *m_prompt, ddjj()).path);
        // An amendment in preparation: the re-issue that closes it writes its number.
        m().TAnticipos->edit();
        m().TAnticipos->setValue(QStringLiteral("Rectificativa"), 1.0);
        m().TAnticipos->post();
        const filing::Outcome kept = filing::fileFiledPeriod(m(), *m_prompt, ddjj(), false);
        QCOMPARE(m().TAnticipos->asFloat(QStringLiteral("Rec_pre")), 0.0);
        const filing::Outcome closed = filing::fileFiledPeriod(m(), *m_prompt, ddjj(), true);
        QCOMPARE(m().TAnticipos->asFloat(QStringLiteral("Rec_pre")), 1.0);
        QCOMPARE(kept.path, closed.path);
        QCOMPARE(bytes(closed.path), bytes(kept.path));
        QVERIFY(QString::fromLatin1(bytes(closed.path)).contains(QStringLiteral("'000','2024','03','1';")));
        QVERIFY(first.contains(QStringLiteral("'000','2024','03','0';")));
        QCOMPARE(m_prompt->texts(), (QStringList{Success, Success, Success}));
        QCOMPARE(QDir(ddjj()).entryList(QDir::Files).size(), 1);
    }

    // A row voided in a filed period opens an amendment with its first change only; once a
    // re-issue closes that amendment, the next change opens another. Without a period nothing
    // is posted.
    void amendmentNumber()
    {
        const auto voidOneRow = [this] {
            store::Dataset& rows = *m().TVerDetalles;
            rows.edit();
            rows.setText(QStringLiteral("Anulado"), QStringLiteral("S"));
            return periodrows::postToFiledPeriod(m(), *m_prompt, rows);
        };
        const auto numbers = [this] {
            return std::pair(m().TAnticipos->asFloat(QStringLiteral("Rectificativa")),
                             m().TAnticipos->asFloat(QStringLiteral("Rec_pre")));
        };
        QVERIFY(m().TAnticipos->isEmpty());
        m().TVerDetalles->open();
        QVERIFY(!voidOneRow());
        m().TVerDetalles->cancel();
        QCOMPARE(m_prompt->texts(), QStringList{QStringLiteral("No hay Anticipos Generados")});
        QCOMPARE(m_store->count(QStringLiteral("detalle"), QStringLiteral("Anulado = 'S'")), 0);

        newPeriod(m());
        filing::fileOpenPeriod(m(), *m_prompt, ddjj());
        filing::showPeriod(m(), Anio, m().TAnticipos->text(QStringLiteral("Anticipo")));
        QCOMPARE(m().TVerDetalles->recordCount(), 10);
        QVERIFY(voidOneRow());
        QCOMPARE(numbers(), std::pair(1.0, 0.0));
        m().TVerDetalles->next();
        QVERIFY(voidOneRow());
        QCOMPARE(numbers(), std::pair(1.0, 0.0));
        filing::fileFiledPeriod(m(), *m_prompt, ddjj(), true);
        QCOMPARE(numbers(), std::pair(1.0, 1.0));
        m().TVerDetalles->last();
        QVERIFY(voidOneRow());
        QCOMPARE(numbers(), std::pair(2.0, 1.0));
        QCOMPARE(m_store->count(QStringLiteral("detalle"), QStringLiteral("Anulado = 'S' AND Anio = '2024'")), 3);
    }

    void pendingFileFinishedAtOpen_data()
    {
        QTest::addColumn<bool>("committed");
        QTest::newRow("change committed") << true;
        QTest::newRow("change never committed") << false;
    }

    // A crash leaves the file under its pending name and its record: the next open puts it in
    // place when its change committed, and removes it when the change never did.
    void pendingFileFinishedAtOpen()
    {
        QFETCH(bool, committed);
        const QString pending = target(folder()) + QStringLiteral(".pendiente");
        QFile file(pending);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("declaración completa\r\n");
        file.close();
        m_store->db().recordPendingIntent(pending);
        if (committed) {
            store::Transaction t(m_store->db());
            m_store->db().recordPendingFile({pending, target(folder())});
            t.commit();
        }
        m_store.reset();
        m_store = std::make_unique<Store>(folder());
        QCOMPARE(bytes(target(folder())), committed ? QByteArray("declaración completa\r\n") : QByteArray("<ninguno>"));
        QVERIFY(!QFileInfo::exists(pending));
        QCOMPARE(m_store->db().pendingFiles().size(), 0);
    }

    // A file that cannot take its name once the change has committed (a folder stands there):
    // the filing is done and said to be, the user is told where the file waits, and the next
    // open puts it in place once the way is clear.
    void placingFailsAfterTheCommit()
    {
        QVERIFY(QDir().mkpath(target(folder()) + QStringLiteral("/ocupado")));
        newPeriod(m());
        const filing::Outcome outcome = filing::fileOpenPeriod(m(), *m_prompt, ddjj());
        QCOMPARE(int(outcome.result), int(filing::Result::Filed));
        QCOMPARE(m_prompt->texts().size(), 2);
        QVERIFY2(m_prompt->texts()[0].contains(QStringLiteral("tomará su nombre la próxima vez")),
                 qPrintable(m_prompt->texts()[0]));
        QCOMPARE(m_prompt->texts()[1], Success);
        QCOMPARE(m_store->periods(), 1);
        QCOMPARE(m_store->openRows(), 0);
        QCOMPARE(m_store->db().pendingFiles().size(), 1);
        // The copy below the tables is kept at once, under the declaration's own name.
        const QString kept =
            QDir(folder()).filePath(QStringLiteral("ddjj/archivo/") + QFileInfo(target(folder())).fileName());
        QVERIFY(bytes(kept).startsWith("TARVENIOV1.2\r\n"));

        // While the way is not clear, each start says so.
        m_store.reset();
        m_store = std::make_unique<Store>(folder());
        QCOMPARE(m_prompt->texts().size(), 3);
        QVERIFY2(m_prompt->texts()[2].contains(QStringLiteral("Se intentará de nuevo")),
                 qPrintable(m_prompt->texts()[2]));

        QVERIFY(QDir(target(folder())).removeRecursively());
        m_store.reset();
        m_store = std::make_unique<Store>(folder());
        QCOMPARE(bytes(target(folder())), bytes(kept));
        QCOMPARE(m_store->db().pendingFiles().size(), 0);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestFiling test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filing.moc"
