#include "data/store/AliasConfig.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using store::AliasConfig;
using store::StoreError;

namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestAliasConfig : public QObject {
    Q_OBJECT
private slots:
    void namesCompareWithoutCase();
    void savedAgainInOtherCaseReplaces();
    void pathWithoutTrailingSeparator_data();
    void pathWithoutTrailingSeparator();
    void driveFolders();
    void unknownAliasIsAnError();
    void unwritableLocation_data();
    void unwritableLocation();
    void folderInPlaceOfFile_data();
    void folderInPlaceOfFile();
    void lineNotReadIsPassedOver_data();
    void lineNotReadIsPassedOver();
};

void TestAliasConfig::namesCompareWithoutCase()
{
    QTemporaryDir dir;
    const QString conf = dir.filePath(QStringLiteral("conf/store.conf"));
    AliasConfig config(conf);
    config.add(QStringLiteral("Imprentas"), dir.path(), QStringLiteral("TABLAS"));
    QVERIFY(config.exists(QStringLiteral("IMPRENTAS")));  // known before it is saved
    QVERIFY(!QFile::exists(conf));
    config.save();

    const AliasConfig reread(conf);
    for (const char* name : {"Imprentas", "IMPRENTAS", "imprentas", "iMpReNtAs"}) {
        QVERIFY2(reread.exists(QString::fromLatin1(name)), name);
        QCOMPARE(reread.path(QString::fromLatin1(name)), dir.path());
    }
    QVERIFY(!reread.exists(QStringLiteral("IMPRENTA")));
}

void TestAliasConfig::savedAgainInOtherCaseReplaces()
{
    QTemporaryDir dir;
    const QString conf = dir.filePath(QStringLiteral("store.conf"));
    AliasConfig config(conf);
    config.add(QStringLiteral("IMPRENTAS"), QStringLiteral("/viejo"), QStringLiteral("TABLAS"));
    config.save();
    config.add(QStringLiteral("imprentas"), QStringLiteral("/nuevo"), QStringLiteral("TABLAS"));
    config.save();
    for (const char* name : {"IMPRENTAS", "imprentas", "Imprentas"})
        QCOMPARE(AliasConfig(conf).path(QString::fromLatin1(name)), QStringLiteral("/nuevo"));
    QVERIFY(!readFile(conf).contains("/viejo"));
}

void TestAliasConfig::pathWithoutTrailingSeparator_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << "/datos/tablas"
                           << "/datos/tablas";
    QTest::newRow("slash") << "/datos/tablas/"
                           << "/datos/tablas";
    QTest::newRow("two slashes") << "/datos/tablas//"
                                 << "/datos/tablas";
    QTest::newRow("backslash") << "C:\\datos\\"
                               << "C:\\datos";
    QTest::newRow("root") << "/"
                          << "/";
}

void TestAliasConfig::pathWithoutTrailingSeparator()
{
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QTemporaryDir dir;
    const QString conf = dir.filePath(QStringLiteral("store.conf"));
    AliasConfig config(conf);
    config.add(QStringLiteral("IMPRENTAS"), folder, QStringLiteral("TABLAS"));
    QCOMPARE(config.path(QStringLiteral("IMPRENTAS")), path);
    config.save();
    QCOMPARE(AliasConfig(conf).path(QStringLiteral("IMPRENTAS")), path);
}

void TestAliasConfig::driveFolders()
{
    QTemporaryDir dir;
    const QString conf = dir.filePath(QStringLiteral("store.conf"));
    writeFile(conf, "[Drives]\na=/media/disquete\n");
    const AliasConfig config(conf);
    QCOMPARE(config.driveFolder(QLatin1Char('A')), QStringLiteral("/media/disquete"));
    QCOMPARE(config.driveFolder(QLatin1Char('B')), QString());
    QCOMPARE(AliasConfig(dir.filePath(QStringLiteral("no-existe.conf"))).driveFolder(QLatin1Char('A')), QString());
    // A drive with a folder is configured; one without is told apart from a full or missing
    // drive, with the way to configure it.
    QVERIFY(config.driveConfigured(QLatin1Char('A')));
    QVERIFY(!config.driveConfigured(QLatin1Char('B')));
    const QString told = config.driveNotConfiguredText(QLatin1Char('b'));
    QVERIFY2(told.startsWith(QStringLiteral("La unidad B: no está configurada")), qPrintable(told));
    for (const QString& how : {QStringLiteral("[Drives]"), QStringLiteral("B=carpeta"), config.filePath()})
        QVERIFY2(told.contains(how), qPrintable(told));
    QVERIFY(!told.contains(QStringLiteral("espacio")));
}

void TestAliasConfig::unknownAliasIsAnError()
{
    QTemporaryDir dir;
    const AliasConfig config(dir.filePath(QStringLiteral("store.conf")));
    QVERIFY(!config.exists(QStringLiteral("IMPRENTAS")));
    try {
        config.path(QStringLiteral("IMPRENTAS"));
        QFAIL("an unknown alias has a path");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), int(store::AliasError));
    }
}

void TestAliasConfig::unwritableLocation_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("folder is a file") << "bloqueo/store.conf";
    QTest::newRow("below a file") << "bloqueo/tarvenio/store.conf";
}

void TestAliasConfig::unwritableLocation()
{
    QFETCH(QString, relative);
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("bloqueo")), "un archivo");
    AliasConfig config(dir.filePath(relative));
    config.add(QStringLiteral("IMPRENTAS"), dir.path(), QStringLiteral("TABLAS"));
    try {
        config.save();
        QFAIL("the save reported success");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), int(store::AliasError));
    }
    QCOMPARE(readFile(dir.filePath(QStringLiteral("bloqueo"))), QByteArray("un archivo"));
}

void TestAliasConfig::folderInPlaceOfFile_data()
{
    QTest::addColumn<std::function<void(AliasConfig&)>>("operation");
    QTest::newRow("exists") << std::function<void(AliasConfig&)>([](AliasConfig& c) { c.exists(QStringLiteral("X")); });
    QTest::newRow("path") << std::function<void(AliasConfig&)>([](AliasConfig& c) { c.path(QStringLiteral("X")); });
    QTest::newRow("drive") << std::function<void(AliasConfig&)>(
        [](AliasConfig& c) { c.driveFolder(QLatin1Char('A')); });
    QTest::newRow("save") << std::function<void(AliasConfig&)>([](AliasConfig& c) {
        c.add(QStringLiteral("X"), QStringLiteral("/x"), QStringLiteral("TABLAS"));
        c.save();
    });
}

void TestAliasConfig::folderInPlaceOfFile()
{
    QFETCH(std::function<void(AliasConfig&)>, operation);
    QTemporaryDir dir;
    const QString conf = dir.filePath(QStringLiteral("store.conf"));
    QVERIFY(QDir().mkpath(conf));
    AliasConfig config(conf);
    try {
        operation(config);
        QFAIL("the configuration was read or written");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), int(store::AliasError));
        QVERIFY2(e.text().contains(QStringLiteral("store.conf")), qPrintable(e.text()));
    }
    QVERIFY(QFileInfo(conf).isDir());
}

void TestAliasConfig::lineNotReadIsPassedOver_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("folder");  // of IMPRENTAS, empty when the file names none
    QTest::newRow("byte-order mark") << QByteArray(
                                            "\xEF\xBB\xBF[Aliases]\r\nImprentas=/datos\r\n[Drives]\r\nA=/media/a\r\n")
                                     << QStringLiteral("/datos");
    QTest::newRow("broken section") << QByteArray("[Drives]\nA=/media/a\n[Aliases\nIMPRENTAS\n=/sin/clave\n")
                                    << QString();
}

// Every question about the same file gets the same answer, whichever comes first and however
// often it is asked; the alias saved into it reads back, and the drive folders stay.
void TestAliasConfig::lineNotReadIsPassedOver()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, folder);
    QTemporaryDir dir;
    const QString conf = dir.filePath(QStringLiteral("store.conf"));
    writeFile(conf, text);
    for (int round = 0; round < 2; ++round) {
        const AliasConfig config(conf);
        QCOMPARE(config.exists(QStringLiteral("IMPRENTAS")), !folder.isEmpty());
        if (!folder.isEmpty())
            QCOMPARE(config.path(QStringLiteral("IMPRENTAS")), folder);
        QCOMPARE(config.driveFolder(QLatin1Char('A')), QStringLiteral("/media/a"));
    }
    AliasConfig config(conf);
    config.add(QStringLiteral("IMPRENTAS"), QStringLiteral("/tablas"), QStringLiteral("TABLAS"));
    config.save();
    const AliasConfig reread(conf);
    QCOMPARE(reread.path(QStringLiteral("imprentas")), QStringLiteral("/tablas"));
    QCOMPARE(reread.driveFolder(QLatin1Char('A')), QStringLiteral("/media/a"));
}

QTEST_GUILESS_MAIN(TestAliasConfig)
#include "tst_aliasconfig.moc"
