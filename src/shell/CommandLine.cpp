#include "CommandLine.h"

#include "backup/Backup.h"
#include "data/text/NumberText.h"
#include "imports/DetailImport.h"

#include <QCommandLineParser>

namespace {

const QString Datos = QStringLiteral("datos");
const QString Help = QStringLiteral("help");
const QString Version = QStringLiteral("version");
const QString Anio = QStringLiteral("anio");
const QString Anticipo = QStringLiteral("anticipo");
const QString Destino = QStringLiteral("destino");
const QString Imprimir = QStringLiteral("imprimir");
const QString CerrarRectificativa = QStringLiteral("cerrar-rectificativa");
const QString AceptarAvisos = QStringLiteral("aceptar-avisos");

// One value of an import and the bounds of its two spinners in the import's window.
struct ColumnOption {
    const char* name;
    imports::ColumnBounds bounds = {};
};

const QList<ColumnOption>& clientColumns()
{
    static const QList<ColumnOption> columns = {{"cuit"},      {"razon-social"},  {"ingresos-brutos"}, {"domicilio"},
                                                {"localidad"}, {"codigo-postal"}, {"provincia"}};
    return columns;
}

const QList<ColumnOption>& detailColumns()
{
    static const QList<ColumnOption> columns = [] {
        const char* const names[] = {"fecha", "razon-social", "cuit", "comprobante", "ndesde", "nhasta", "punto-venta"};
        QList<ColumnOption> list;
        for (size_t i = 0; i < 7; ++i)
            list.append({names[i], imports::detailColumnBounds()[i]});
        return list;
    }();
    return columns;
}

QStringList columnOptionNames(const QList<ColumnOption>& columns)
{
    QStringList names;
    for (const ColumnOption& c : columns)
        names << QLatin1String(c.name) + QStringLiteral("-desde") << QLatin1String(c.name) + QStringLiteral("-hasta");
    return names;
}

struct OrderDef {
    const char* word;
    Order order;
    bool takesFile;
    QStringList options;        // besides --datos
    bool fileOptional = false;  // the file may be left out
};

const QList<OrderDef>& orderDefs()
{
    static const QList<OrderDef> defs = {
        {"presentar", Order::Presentar, false, {Anio, Anticipo, Destino, Imprimir, AceptarAvisos}},
        {"regenerar", Order::Regenerar, false, {Anio, Anticipo, Destino, Imprimir, CerrarRectificativa, AceptarAvisos}},
        {"importar-clientes", Order::ImportarClientes, true, columnOptionNames(clientColumns())},
        {"importar-detalles", Order::ImportarDetalles, true, columnOptionNames(detailColumns())},
        {"reparar", Order::Reparar, false, {}},
        {"verificar", Order::Verificar, true, {}},
        {"pdf", Order::Pdf, true, {Anio, Anticipo}, true},
        {"respaldar", Order::Respaldar, true, {}, true},  // by default to back/
        {"restaurar", Order::Restaurar, true, {}},
    };
    return defs;
}

// Every option that takes a value.
QStringList valueOptions()
{
    QStringList names{Datos, Anio, Anticipo, Destino};
    for (const QString& n : columnOptionNames(clientColumns()) + columnOptionNames(detailColumns()))
        if (!names.contains(n))
            names << n;
    return names;
}

// The order word among arguments the parser could not take, so that an order with a faulty
// option is still answered on the terminal; empty when it is not one of ours.
QString orderWordIn(const QStringList& arguments)
{
    const QStringList values = valueOptions();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString name = arguments[i];
        if (!name.startsWith(QLatin1Char('-'))) {
            for (const OrderDef& d : orderDefs())
                if (name == QLatin1String(d.word))
                    return name;
            return {};
        }
        while (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        if (values.contains(name))
            ++i;  // its value
    }
    return {};
}

QString periodError(const CommandLine& line)
{
    if (line.anio.isEmpty())
        return QStringLiteral("Falta --anio: el año del anticipo (por ejemplo --anio 2024).");
    if (line.anticipo.isEmpty())
        return QStringLiteral("Falta --anticipo: el número del anticipo, de 1 a 12 (por ejemplo --anticipo 3).");
    if (line.anio.size() != 4 || !store::onlyDigits(line.anio))
        return QStringLiteral("El año debe tener 4 cifras: %1").arg(line.anio);
    if (line.anticipo.size() > 2 || !store::onlyDigits(line.anticipo) || line.anticipo.toInt() < 1 ||
        line.anticipo.toInt() > 12)
        return QStringLiteral("El anticipo debe ser un número de 1 a 12: %1").arg(line.anticipo);
    return {};
}

QString columnsError(const QCommandLineParser& parser, const QList<ColumnOption>& columns, CommandLine& line)
{
    for (const ColumnOption& c : columns) {
        for (const bool from : {true, false}) {
            const QString name = QLatin1String(c.name) + (from ? QStringLiteral("-desde") : QStringLiteral("-hasta"));
            if (!parser.isSet(name))
                continue;
            const QString text = parser.value(name);
            bool ok = false;
            const int value = text.toInt(&ok);
            if (!ok)
                return QStringLiteral("El valor de --%1 debe ser un número entero: %2").arg(name, text);
            const int low = from ? c.bounds.fromMin : c.bounds.toMin;
            const int high = from ? c.bounds.fromMax : c.bounds.toMax;
            if (value < low || value > high)
                return QStringLiteral("El valor de --%1 debe estar entre %2 y %3: %4")
                    .arg(name)
                    .arg(low)
                    .arg(high)
                    .arg(text);
            line.columns.insert(name, value);
        }
    }
    return {};
}

}  // namespace

QStringList clientColumnNames()
{
    QStringList names;
    for (const ColumnOption& c : clientColumns())
        names << QLatin1String(c.name);
    return names;
}

QStringList detailColumnNames()
{
    QStringList names;
    for (const ColumnOption& c : detailColumns())
        names << QLatin1String(c.name);
    return names;
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    // Our own texts: the parser's built-in help and errors are in English.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QString& name : valueOptions())
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("valor")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), Help, QStringLiteral("?")}));
    parser.addOption(QCommandLineOption(Version));
    parser.addOption(QCommandLineOption(Imprimir));
    parser.addOption(QCommandLineOption(CerrarRectificativa));
    parser.addOption(QCommandLineOption(AceptarAvisos));

    CommandLine result;
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        QString last = arguments.last();
        while (last.startsWith(QLatin1Char('-')))
            last.remove(0, 1);
        if (!unknown.isEmpty())
            result.error = QStringLiteral("Opción desconocida: %1").arg(unknown.first());
        else if (last == Datos)
            result.error = QStringLiteral("Falta la carpeta de las tablas después de --datos.");
        else if (valueOptions().contains(last))
            result.error = QStringLiteral("Falta el valor después de --%1.").arg(last);
        else
            result.error = QStringLiteral("Argumentos no válidos: %1").arg(arguments.mid(1).join(QLatin1Char(' ')));
        result.orderWord = orderWordIn(arguments);
        return result;
    }
    // A repeated option would take its last value without a word: "--anio 2024 --anio 2023"
    // would file 2023.
    const QStringList found = parser.optionNames();
    for (const QString& name : found)
        if (found.count(name) > 1) {
            result.error = QStringLiteral("La opción --%1 está repetida: dé cada opción una sola vez.").arg(name);
            result.orderWord = orderWordIn(arguments);
            return result;
        }
    result.help = parser.isSet(Help);
    result.version = parser.isSet(Version);
    result.dataFolder = parser.value(Datos);
    if (parser.isSet(Datos) && result.dataFolder.isEmpty()) {
        result.error = QStringLiteral("Falta la carpeta de las tablas después de --datos.");
        return result;
    }
    if (result.help || result.version)
        return result;

    QStringList operands = parser.positionalArguments();
    const OrderDef* def = nullptr;
    if (!operands.isEmpty()) {
        result.orderWord = operands.takeFirst();
        for (const OrderDef& d : orderDefs())
            if (result.orderWord == QLatin1String(d.word))
                def = &d;
        if (!def) {
            result.error = QStringLiteral("Orden desconocida: %1").arg(result.orderWord);
            return result;
        }
        result.order = def->order;
    }
    for (const QString& name : parser.optionNames()) {
        if (name == Datos || (def && def->options.contains(name)))
            continue;
        result.error = def ? QStringLiteral("La opción --%1 no corresponde a la orden %2.").arg(name, result.orderWord)
                           : QStringLiteral("La opción --%1 va con una orden; vea tarvenio --help.").arg(name);
        return result;
    }
    if (!def)
        return result;

    if (def->takesFile && !operands.isEmpty()) {
        result.file = operands.takeFirst();
    } else if (def->takesFile && !def->fileOptional) {
        result.error = QStringLiteral("Falta el archivo de la orden %1.").arg(result.orderWord);
        return result;
    }
    if (!operands.isEmpty()) {
        result.error = QStringLiteral("Argumento no esperado: %1").arg(operands.first());
        return result;
    }

    switch (result.order) {
    case Order::Pdf:
        result.anio = parser.value(Anio);
        result.anticipo = parser.value(Anticipo);
        result.error = periodError(result);
        break;
    case Order::Presentar:
    case Order::Regenerar:
        result.anio = parser.value(Anio);
        result.anticipo = parser.value(Anticipo);
        result.destino = parser.value(Destino);
        result.imprimir = parser.isSet(Imprimir);
        result.closeAmendment = parser.isSet(CerrarRectificativa);
        result.acceptWarnings = parser.isSet(AceptarAvisos);
        result.error = periodError(result);
        if (result.error.isEmpty() && parser.isSet(Destino) && result.destino.isEmpty())
            result.error = QStringLiteral("Falta la carpeta después de --destino.");
        break;
    case Order::ImportarClientes:
        result.error = columnsError(parser, clientColumns(), result);
        break;
    case Order::ImportarDetalles:
        result.error = columnsError(parser, detailColumns(), result);
        break;
    case Order::None:
    case Order::Reparar:
    case Order::Verificar:
    case Order::Respaldar:
    case Order::Restaurar:
        break;
    }
    return result;
}

bool drawsForms(const CommandLine& line)
{
    return line.imprimir || line.order == Order::Presentar || line.order == Order::Regenerar ||
           line.order == Order::Pdf;
}

QString commandLineHelp()
{
    return QStringLiteral(
        "Uso: tarvenio [--datos <carpeta>]\n"
        "     tarvenio <orden> [opciones] [--datos <carpeta>]\n"
        "\n"
        "Declaración jurada mensual del agente de información. Sin orden se abren las\n"
        "ventanas; con una orden el trabajo se hace en la terminal, sin ventanas.\n"
        "\n"
        "Órdenes:\n"
        "  presentar --anio <año> --anticipo <n> [--destino <carpeta>] [--imprimir]\n"
        "            [--aceptar-avisos]\n"
        "      Presenta el período abierto como la ventana Presentaciones: registra el\n"
        "      anticipo, escribe el archivo de la declaración (en la carpeta ddjj de las\n"
        "      tablas si no se indica otra; A: es la unidad A) y pasa los detalles\n"
        "      abiertos al anticipo. Todo o nada. Imprime los dos ejemplares sólo con\n"
        "      --imprimir. Un rango de formularios ya declarado detiene la orden salvo\n"
        "      con --aceptar-avisos.\n"
        "  regenerar --anio <año> --anticipo <n> [--destino <carpeta>] [--imprimir]\n"
        "            [--cerrar-rectificativa] [--aceptar-avisos]\n"
        "      Vuelve a escribir la declaración de un anticipo presentado. Una\n"
        "      rectificativa en preparación se cierra sólo con --cerrar-rectificativa.\n"
        "  importar-clientes <archivo> [--<columna>-desde <n> --<columna>-hasta <m> ...]\n"
        "      Importa el padrón de clientes. Columnas: cuit, razon-social,\n"
        "      ingresos-brutos, domicilio, localidad, codigo-postal, provincia.\n"
        "  importar-detalles <archivo> [--<columna>-desde <n> --<columna>-hasta <m> ...]\n"
        "      Importa detalles de formularios al período abierto. Columnas: fecha,\n"
        "      razon-social, cuit, comprobante, ndesde, nhasta, punto-venta.\n"
        "      Las posiciones se cuentan desde 1; la que no se indica vale 1, como en la\n"
        "      ventana de la importación.\n"
        "  reparar\n"
        "      Verifica y reconstruye las seis tablas, con una copia de cada una en la\n"
        "      carpeta back, e informa qué pasó con cada tabla.\n"
        "  verificar <archivo.imp>\n"
        "      Revisa un archivo de declaración antes de entregarlo: muestra su resumen\n"
        "      o cada error con su línea y su campo.\n"
        "  pdf --anio <año> --anticipo <n> [<archivo.pdf>]\n"
        "      La declaración de un anticipo presentado en PDF, con sus dos ejemplares:\n"
        "      la guardada en la carpeta ddjj (se hace de nuevo si falta), o una copia\n"
        "      en <archivo.pdf>.\n"
        "  respaldar [<carpeta> | <archivo.zip>]\n"
        "      Hace una copia de seguridad de las tablas y de la carpeta ddjj en el\n"
        "      archivo tarvenio-<C.U.I.T.>-<fecha-hora>.zip, en la carpeta back de las\n"
        "      tablas si no se indica otra, o en el archivo .zip indicado.\n"
        "  restaurar <archivo.zip>\n"
        "      Revisa la copia de seguridad entera y, si está sana, pone sus tablas y\n"
        "      sus archivos de ddjj en lugar de los actuales, todo o nada; antes guarda\n"
        "      una copia de las tablas actuales en la carpeta back/auto.\n"
        "\n"
        "Opciones:\n"
        "  --datos <carpeta>  Usa las tablas de <carpeta> en esta ejecución, en lugar de\n"
        "                     la carpeta del alias IMPRENTAS (el alias no se modifica).\n"
        "  --version          Muestra la versión del programa.\n"
        "  -h, --help         Muestra esta ayuda.\n"
        "\n"
        "Los mensajes van a la salida de errores. Estado de salida: 0 si la orden se\n"
        "cumplió; 1 si hay algo que corregir (opciones, datos, anticipo ya presentado,\n"
        "línea de un archivo que falla, declaración con errores); 2 si una tabla está\n"
        "dañada o un archivo no se puede escribir.\n");
}

QString commandLineVersion() { return QStringLiteral("tarvenio ") + backup::programVersion() + QLatin1Char('\n'); }
