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

        QTest::newRow("nothing") << QStringList{} << "" << false << "";
        QTest::newRow("--datos DIR") << QStringList{"--datos", "/srv/tablas"} << "/srv/tablas" << false << "";
        QTest::newRow("--datos=DIR") << QStringList{"--datos=/srv/tablas"} << "/srv/tablas" << false << "";
        QTest::newRow("-datos DIR") << QStringList{"-datos", "/srv/tablas"} << "/srv/tablas" << false << "";
        QTest::newRow("folder with spaces") << QStringList{"--datos", "/srv/mis tablas"} << "/srv/mis tablas"
                                            << false << "";
        QTest::newRow("help") << QStringList{"--help"} << "" << true << "";
        QTest::newRow("-h") << QStringList{"-h"} << "" << true << "";
        QTest::newRow("--datos without folder")
            << QStringList{"--datos"} << "" << false << "Falta la carpeta de las tablas después de --datos.";
        QTest::newRow("--datos= empty")
            << QStringList{"--datos="} << "" << false << "Falta la carpeta de las tablas después de --datos.";
        QTest::newRow("unknown option") << QStringList{"--tablas", "x"} << "" << false
                                        << "Opción desconocida: tablas";
        QTest::newRow("stray argument") << QStringList{"/srv/tablas"} << "" << false
                                        << "Argumento no esperado: /srv/tablas";
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, dataFolder);
        QFETCH(bool, help);
        QFETCH(QString, error);

        const CommandLine result = parseCommandLine(QStringList{"tarvenio"} + arguments);
        QCOMPARE(result.error, error);
        QCOMPARE(result.help, help);
        QCOMPARE(result.dataFolder, dataFolder);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
