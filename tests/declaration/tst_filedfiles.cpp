#include "OpenStore.h"
#include "SampleCuit.h"
#include "SamplePeriod.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "data/store/StoreError.h"
#include "declaration/FiledFiles.h"
#include "declaration/PeriodFiling.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using fixture::cuitFor;

// Every declaration file written is kept in ddjj/archivo: a later one never takes the place of
// an earlier filing's, wherever the file went.
namespace {

using Files = QMap<QString, QByteArray>;

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<ninguno>");
}

void write(const QString& path, const QByteArray& data)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), data.size());
}

Files filesIn(const QString& folder)
{
    Files files;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        files.insert(name, bytes(QDir(folder).filePath(name)));
    return files;
}

const QString Name = QStringLiteral("20999999990202403.imp");

}  // namespace

class TestFiledFiles : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString tables() const { return m_dir->filePath(QStringLiteral("tablas")); }
    QString archive() const { return filed::archiveFolder(tables()); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_dir.reset(); }

    void keptUnderItsFilingsName_data()
    {
        QTest::addColumn<Files>("before");  // the archive before
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("amendment");
        QTest::addColumn<QString>("kept");  // the name answered
        const Files first{{Name, "primera\r\n"}};
        QTest::newRow("a first filing") << Files{} << QByteArray("primera\r\n") << 0 << Name;
        QTest::newRow("amendment 2 beside the first")
            << first << QByteArray("rectificativa 2\r\n") << 2 << "20999999990202403-R2.imp";
        QTest::newRow("the same filing again") << first << QByteArray("primera\r\n") << 0 << Name;
        QTest::newRow("other bytes under a kept name")
            << first << QByteArray("otra\r\n") << 0 << "20999999990202403-2.imp";
        QTest::newRow("other bytes under a name taken twice")
            << Files{{Name, "primera\r\n"}, {QStringLiteral("20999999990202403-2.imp"), "segunda\r\n"}}
            << QByteArray("tercera\r\n") << 0 << "20999999990202403-3.imp";
    }

    // Written to a folder far from the tables, the file is kept below them; what was kept before
    // stays byte for byte.
    void keptUnderItsFilingsName()
    {
        QFETCH(Files, before);
        QFETCH(QByteArray, written);
        QFETCH(int, amendment);
        QFETCH(QString, kept);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            write(QDir(archive()).filePath(it.key()), it.value());
        const QString destination = m_dir->filePath(QStringLiteral("pendrive/") + Name);
        write(destination, written);

        const filed::ArchivePlace place = filed::archivePlace(tables(), destination, amendment);
        QCOMPARE(place.path, QDir(archive()).filePath(kept));
        if (!place.kept)
            write(place.path, bytes(destination));
        Files expected = before;
        expected.insert(kept, written);
        QCOMPARE(filesIn(archive()), expected);
        QCOMPARE(bytes(destination), written);
    }

    // A filing and the re-issue of its amendment to the same destination: the destination holds
    // the last, the archive both, each kept by the filing as it was written.
    void filingThenAmendment()
    {
        fixture::OpenStore s(tables());
        TDModulo& m = s.modulo;
        fixture::fillOpenPeriod(m);
        ScriptedPrompt prompt;
        const QString destination = m_dir->filePath(QStringLiteral("destino"));
        QVERIFY(QDir().mkpath(destination));
        m.TAnticipos->insert();
        m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
        m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
        const filing::Outcome first = filing::fileOpenPeriod(m, prompt, destination);
        QCOMPARE(first.result, filing::Result::Filed);
        const QByteArray firstBytes = bytes(first.path);
        const QString stem = QFileInfo(first.path).completeBaseName();
        QCOMPARE(filesIn(archive()), (Files{{stem + QStringLiteral(".imp"), firstBytes}}));
        // Issued again, the rows now carry their period: other bytes, kept beside; issued once
        // more, the same bytes, kept once.
        for (int i = 0; i < 2; ++i)
            QCOMPARE(filing::fileFiledPeriod(m, prompt, destination, false).result, filing::Result::Filed);
        const QByteArray reissued = bytes(first.path);
        QVERIFY(reissued != firstBytes);
        QCOMPARE(filesIn(archive()),
                 (Files{{stem + QStringLiteral(".imp"), firstBytes}, {stem + QStringLiteral("-2.imp"), reissued}}));

        m.TAnticipos->edit();
        m.TAnticipos->setValue(QStringLiteral("Rectificativa"), 1.0);
        m.TAnticipos->post();
        const filing::Outcome amended = filing::fileFiledPeriod(m, prompt, destination, true);
        QCOMPARE(amended.path, first.path);
        const QByteArray amendedBytes = bytes(amended.path);
        QVERIFY(amendedBytes != firstBytes);
        QCOMPARE(filesIn(archive()), (Files{{stem + QStringLiteral(".imp"), firstBytes},
                                            {stem + QStringLiteral("-2.imp"), reissued},
                                            {stem + QStringLiteral("-R1.imp"), amendedBytes}}));
        // The four filings' own notices, and nothing else.
        QCOMPARE(prompt.texts().size(), 4);
        QVERIFY(!prompt.texts().join(QLatin1Char('\n')).contains(QStringLiteral("archivo")));
    }

    // The copy is part of the filing: where it cannot be kept, nothing is filed and nothing
    // changes.
    void keptWithTheFilingOrNotAtAll()
    {
        fixture::OpenStore s(tables());
        TDModulo& m = s.modulo;
        fixture::fillOpenPeriod(m);
        ScriptedPrompt prompt;
        const QString destination = m_dir->filePath(QStringLiteral("destino"));
        QVERIFY(QDir().mkpath(destination));
        write(archive(), "un archivo donde va la carpeta");
        m.TAnticipos->insert();
        m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
        m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
        QVERIFY_THROWS_EXCEPTION(store::StoreError, filing::fileOpenPeriod(m, prompt, destination));
        QCOMPARE(s.periods(), qint64(0));
        QCOMPARE(QDir(destination).entryList(QDir::Files), QStringList());
        QCOMPARE(s.db().pendingFiles().size(), 0);
    }
};

Q_DECLARE_METATYPE(Files)

QTEST_GUILESS_MAIN(TestFiledFiles)
#include "tst_filedfiles.moc"
