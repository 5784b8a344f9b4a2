#include "OpenStore.h"
#include "SampleCuit.h"
#include "SamplePeriod.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
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

        QCOMPARE(filed::keepFiledFile(tables(), destination, amendment), QDir(archive()).filePath(kept));
        Files expected = before;
        expected.insert(kept, written);
        QCOMPARE(filesIn(archive()), expected);
        QCOMPARE(bytes(destination), written);
    }

    // A filing and the re-issue of its amendment to the same destination: the destination holds
    // the last, the archive both, each as it was written.
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
        QCOMPARE(filed::keepFiledFile(m, prompt, first.path),
                 QDir(archive()).filePath(QFileInfo(first.path).fileName()));

        m.TAnticipos->edit();
        m.TAnticipos->setValue(QStringLiteral("Rectificativa"), 1.0);
        m.TAnticipos->post();
        const filing::Outcome amended = filing::fileFiledPeriod(m, prompt, destination, true);
        QCOMPARE(amended.path, first.path);
        const QByteArray amendedBytes = bytes(amended.path);
        QVERIFY(amendedBytes != firstBytes);
        const QString stem = QFileInfo(first.path).completeBaseName();
        QCOMPARE(filed::keepFiledFile(m, prompt, amended.path),
                 QDir(archive()).filePath(stem + QStringLiteral("-R1.imp")));
        QCOMPARE(filesIn(archive()), (Files{{stem + QStringLiteral(".imp"), firstBytes},
                                            {stem + QStringLiteral("-R1.imp"), amendedBytes}}));
        // The two filings' own notices, and nothing else.
        QCOMPARE(prompt.texts().size(), 2);
        QVERIFY(!prompt.texts().join(QLatin1Char('\n')).contains(QStringLiteral("archivo")));
    }

    // A copy that cannot be made is told; the filing stands.
    void failureIsTold()
    {
        fixture::OpenStore s(tables());
        ScriptedPrompt prompt;
        write(QDir(tables()).filePath(QStringLiteral("ddjj/archivo")), "un archivo donde va la carpeta");
        const QString destination = m_dir->filePath(Name);
        write(destination, "presentada\r\n");
        QVERIFY(filed::keepFiledFile(s.modulo, prompt, destination).isEmpty());
        QCOMPARE(prompt.texts().size(), 1);
        QVERIFY2(prompt.texts().first().contains(QStringLiteral("La presentación quedó hecha")),
                 qPrintable(prompt.texts().first()));
    }
};

Q_DECLARE_METATYPE(Files)

QTEST_GUILESS_MAIN(TestFiledFiles)
#include "tst_filedfiles.moc"
