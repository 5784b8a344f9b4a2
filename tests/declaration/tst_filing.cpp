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
            << QStringList{"Inserte un diskette", "No hay suficiente espacio en el disco"}
            << int(filing::Result::NoRoom);
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
        QCOMPARE(m_prompt->texts(), texts);
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

        // While the way is not clear, each start says so.
        m_store.reset();
        m_store = std::make_unique<Store>(folder());
        QCOMPARE(m_prompt->texts().size(), 3);
        QVERIFY2(m_prompt->texts()[2].contains(QStringLiteral("Se intentará de nuevo")),
                 qPrintable(m_prompt->texts()[2]));

        QVERIFY(QDir(target(folder())).removeRecursively());
        m_store.reset();
        m_store = std::make_unique<Store>(folder());
        QVERIFY(bytes(target(folder())).startsWith("TARVENIOV1.2\r\n"));
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
