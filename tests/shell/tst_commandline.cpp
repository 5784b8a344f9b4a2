#include "shell/CommandLine.h"

#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("dataFolder");
        QTest::addColumn<bool>("help");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("version");

        QTest::newRow("nothing") << QStringList{} << "" << false << "" << false;
        QTest::newRow("--datos DIR") << QStringList{"--datos", "/srv/tablas"} << "/srv/tablas" << false << "" << false;
        QTest::newRow("--datos=DIR") << QStringList{"--datos=/srv/tablas"} << "/srv/tablas" << false << "" << false;
        QTest::newRow("-datos DIR") << QStringList{"-datos", "/srv/tablas"} << "/srv/tablas" << false << "" << false;
        QTest::newRow("folder with spaces")
            << QStringList{"--datos", "/srv/mis tablas"} << "/srv/mis tablas" << false << "" << false;
        QTest::newRow("help") << QStringList{"--help"} << "" << true << "" << false;
        QTest::newRow("-h") << QStringList{"-h"} << "" << true << "" << false;
        QTest::newRow("--datos without folder")
            << QStringList{"--datos"} << "" << false << "Falta la carpeta de las tablas después de --datos." << false;
        QTest::newRow("--datos= empty") << QStringList{"--datos="} << "" << false
                                        << "Falta la carpeta de las tablas después de --datos." << false;
        QTest::newRow("unknown option") << QStringList{"--tablas", "x"} << "" << false << "Opción desconocida: tablas"
                                        << false;
        QTest::newRow("version") << QStringList{"--version"} << "" << false << "" << true;
        QTest::newRow("version with a folder")
            << QStringList{"--version", "--datos", "/srv/tablas"} << "/srv/tablas" << false << "" << true;
        QTest::newRow("stray argument") << QStringList{"/srv/tablas"} << "" << false
                                        << "Argumento no esperado: /srv/tablas" << false;
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, dataFolder);
        QFETCH(bool, help);
        QFETCH(QString, error);
        QFETCH(bool, version);

        const CommandLine result = parseCommandLine(QStringList{"tarvenio"} + arguments);
        QCOMPARE(result.error, error);
        QCOMPARE(result.help, help);
        QCOMPARE(result.dataFolder, dataFolder);
        QCOMPARE(result.version, version);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
