#include "shell/CommandLine.h"
#include "shell/TerminalPrompt.h"

#include <QTest>

#include <cstdio>

namespace {

// What an order asked for, in one line: word|anio|anticipo|destino|flags|file|columns|datos.
QString described(const CommandLine& c)
{
    QStringList columns;
    for (auto it = c.columns.cbegin(); it != c.columns.cend(); ++it)
        columns << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
    columns.sort();
    QStringList flags;
    if (c.imprimir)
        flags << QStringLiteral("imprimir");
    if (c.closeAmendment)
        flags << QStringLiteral("cerrar");
    if (c.acceptWarnings)
        flags << QStringLiteral("avisos");
    return QStringList{c.orderWord,      c.anio, c.anticipo,         c.destino,
                       flags.join(u','), c.file, columns.join(u','), c.dataFolder}
        .join(u'|');
}

QByteArray written(std::FILE* file)
{
    std::rewind(file);
    QByteArray bytes;
    char buffer[512];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, qsizetype(n));
    return bytes;
}

}  // namespace

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
        QTest::newRow("stray argument") << QStringList{"/srv/tablas"} << "" << false << "Orden desconocida: /srv/tablas"
                                        << false;
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

    void orders_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("order");  // see described()

        QTest::newRow("presentar") << QStringList{"presentar", "--anio",    "2024",       "--anticipo", "3",
                                                  "--destino", "/srv/ddjj", "--imprimir", "--datos",    "/srv/tablas"}
                                   << ""
                                   << "presentar|2024|3|/srv/ddjj|imprimir|||/srv/tablas";
        QTest::newRow("options before the order")
            << QStringList{"--datos", "/srv/tablas",           "regenerar", "--anio=2024", "--anticipo",
                           "11",      "--cerrar-rectificativa"}
            << ""
            << "regenerar|2024|11||cerrar|||/srv/tablas";
        QTest::newRow("presentar accepting warnings")
            << QStringList{"presentar", "--anio", "2024", "--anticipo", "3", "--aceptar-avisos"} << ""
            << "presentar|2024|3||avisos|||";
        QTest::newRow("regenerar accepting warnings")
            << QStringList{"regenerar",       "--anio", "2024", "--anticipo", "3", "--cerrar-rectificativa",
                           "--aceptar-avisos"}
            << ""
            << "regenerar|2024|3||cerrar,avisos|||";
        QTest::newRow("client columns, one below 1")
            << QStringList{"importar-clientes", "padron.txt", "--cuit-desde", "-3", "--cuit-hasta", "11"} << ""
            << "importar-clientes|||||padron.txt|cuit-desde=-3,cuit-hasta=11|";
        QTest::newRow("detail columns at their bounds")
            << QStringList{"importar-detalles", "dj.txt", "--cuit-desde", "0", "--nhasta-hasta", "255"} << ""
            << "importar-detalles|||||dj.txt|cuit-desde=0,nhasta-hasta=255|";
        QTest::newRow("verificar") << QStringList{"verificar", "a.imp"} << ""
                                   << "verificar|||||a.imp||";
        QTest::newRow("reparar") << QStringList{"reparar"} << ""
                                 << "reparar|||||||";
        QTest::newRow("respaldar into back") << QStringList{"respaldar"} << ""
                                             << "respaldar|||||||";
        QTest::newRow("respaldar into a zip") << QStringList{"respaldar", "copia.zip"} << ""
                                              << "respaldar|||||copia.zip||";
        QTest::newRow("restaurar") << QStringList{"restaurar", "copia.zip"} << ""
                                   << "restaurar|||||copia.zip||";
        QTest::newRow("restaurar two files")
            << QStringList{"restaurar", "a.zip", "b.zip"} << "Argumento no esperado: b.zip"
            << "restaurar|||||a.zip||";

        QTest::newRow("N° Hasta below its spinner") << QStringList{"importar-detalles", "dj.txt", "--nhasta-hasta", "0"}
                                                    << "El valor de --nhasta-hasta debe estar entre 1 y 255: 0"
                                                    << "importar-detalles|||||dj.txt||";
        QTest::newRow("a column of the other import")
            << QStringList{"importar-detalles", "dj.txt", "--provincia-desde", "3"}
            << "La opción --provincia-desde no corresponde a la orden importar-detalles."
            << "importar-detalles|||||||";
        QTest::newRow("accepting warnings, where nothing is filed")
            << QStringList{"pdf", "--anio", "2024", "--anticipo", "3", "--aceptar-avisos"}
            << "La opción --aceptar-avisos no corresponde a la orden pdf."
            << "pdf|||||||";
        QTest::newRow("no file") << QStringList{"verificar"} << "Falta el archivo de la orden verificar."
                                 << "verificar|||||||";
        QTest::newRow("two files") << QStringList{"verificar", "a.imp", "b.imp"} << "Argumento no esperado: b.imp"
                                   << "verificar|||||a.imp||";
        QTest::newRow("an order's option without the order")
            << QStringList{"--anio", "2024"} << "La opción --anio va con una orden; vea tarvenio --help."
            << "|||||||";
        QTest::newRow("no anticipo")
            << QStringList{"presentar", "--anio", "2024"}
            << "Falta --anticipo: el número del anticipo, de 1 a 12 (por ejemplo --anticipo 3)."
            << "presentar|2024||||||";
        QTest::newRow("anticipo 0") << QStringList{"regenerar", "--anio", "2024", "--anticipo", "0"}
                                    << "El anticipo debe ser un número de 1 a 12: 0"
                                    << "regenerar|2024|0|||||";
        QTest::newRow("an empty destination")
            << QStringList{"presentar", "--anio", "2024", "--anticipo", "1", "--destino="}
            << "Falta la carpeta después de --destino."
            << "presentar|2024|1|||||";
        QTest::newRow("a repeated value")
            << QStringList{"presentar", "--anio", "2024", "--anio", "2023", "--anticipo", "3"}
            << "La opción --anio está repetida: dé cada opción una sola vez."
            << "presentar|||||||";
        QTest::newRow("the data folder twice") << QStringList{"reparar", "--datos", "/a", "--datos=/b"}
                                               << "La opción --datos está repetida: dé cada opción una sola vez."
                                               << "reparar|||||||";
        QTest::newRow("a flag twice") << QStringList{"regenerar", "--anio",     "2024",      "--anticipo",
                                                     "3",         "--imprimir", "--imprimir"}
                                      << "La opción --imprimir está repetida: dé cada opción una sola vez."
                                      << "regenerar|||||||";
        // Still an order, so the error is told on the terminal and not in a window.
        QTest::newRow("a value missing at the end")
            << QStringList{"presentar", "--anio"} << "Falta el valor después de --anio."
            << "presentar|||||||";
    }

    void orders()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QFETCH(QString, order);
        const CommandLine result = parseCommandLine(QStringList{"tarvenio"} + arguments);
        QCOMPARE(result.error, error);
        QCOMPARE(described(result), order);
    }

    // Messages on the error output, questions answered yes, a progress line only on a terminal
    // and ended before the next message.
    void terminalPrompt_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("terminal") << true
                                  << QByteArray(
                                         "\rCargando Registro Nº: 1\rCargando Registro Nº: 2\n"
                                         "Se han cargado con exito 2 Registros\n"
                                         "Fallo en registro Nº 3.\n¿Desea obtener más Información? [Sí]\n"
                                         "Se cargara el archivo seleccionado [Aceptar]\nError: falla\n");
        QTest::newRow("log file") << false
                                  << QByteArray(
                                         "Se han cargado con exito 2 Registros\n"
                                         "Fallo en registro Nº 3.\n¿Desea obtener más Información? [Sí]\n"
                                         "Se cargara el archivo seleccionado [Aceptar]\nError: falla\n");
    }

    void terminalPrompt()
    {
        QFETCH(bool, terminal);
        QFETCH(QByteArray, expected);
        std::FILE* file = std::tmpfile();
        QVERIFY(file);
        {
            TerminalPrompt prompt(file, terminal);
            prompt.progress(QStringLiteral("Cargando Registro Nº: 1"));
            prompt.progress(QStringLiteral("Cargando Registro Nº: 2"));
            QCOMPARE(prompt.box(QStringLiteral("Se han cargado con exito 2 Registros"), QStringLiteral("Caldivar"),
                                PromptButtons::Ok),
                     PromptButton::Ok);
            QCOMPARE(prompt.box(QStringLiteral("Fallo en registro Nº 3.\r¿Desea obtener más Información?"),
                                QStringLiteral("Caldivar"), PromptButtons::YesNo),
                     PromptButton::Yes);
            QCOMPARE(prompt.box(QStringLiteral("Se cargara el archivo seleccionado"), QStringLiteral("Caldivar"),
                                PromptButtons::OkCancel),
                     PromptButton::Ok);
            prompt.error(QStringLiteral("falla"));
            QCOMPARE(prompt.openFileName(QStringLiteral("Abrir"), QString(), QString()), QString());
        }
        QCOMPARE(written(file), expected);
        std::fclose(file);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
