#include "CommandLine.h"

#include <QCommandLineParser>

namespace {
const QString Datos = QStringLiteral("datos");
const QString Help = QStringLiteral("help");
const QString Version = QStringLiteral("version");
}  // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    // Our own texts: the parser's built-in help and errors are in English.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(Datos, QString(), QStringLiteral("carpeta")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), Help, QStringLiteral("?")}));
    parser.addOption(QCommandLineOption(Version));

    CommandLine result;
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            result.error = QStringLiteral("Opción desconocida: %1").arg(unknown.first());
        else if (arguments.last().endsWith(QStringLiteral("-") + Datos))
            result.error = QStringLiteral("Falta la carpeta de las tablas después de --datos.");
        else
            result.error = QStringLiteral("Argumentos no válidos: %1").arg(arguments.mid(1).join(QLatin1Char(' ')));
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error = QStringLiteral("Argumento no esperado: %1").arg(parser.positionalArguments().first());
        return result;
    }
    result.help = parser.isSet(Help);
    result.version = parser.isSet(Version);
    result.dataFolder = parser.value(Datos);
    if (parser.isSet(Datos) && result.dataFolder.isEmpty())
        result.error = QStringLiteral("Falta la carpeta de las tablas después de --datos.");
    return result;
}

QString commandLineHelp()
{
    return QStringLiteral(
        "Uso: tarvenio [opciones]\n"
        "\n"
        "Declaración jurada mensual del agente de información.\n"
        "\n"
        "Opciones:\n"
        "  --datos <carpeta>  Usa las tablas de <carpeta> en esta ejecución, en lugar de\n"
        "                     la carpeta del alias IMPRENTAS (el alias no se modifica).\n"
        "  --version          Muestra la versión del programa.\n"
        "  -h, --help         Muestra esta ayuda.\n");
}

QString commandLineVersion() { return QStringLiteral("tarvenio " TARVENIO_VERSION "\n"); }
