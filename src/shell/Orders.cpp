#include "Orders.h"

#include "TerminalPrompt.h"
#include "backup/Backup.h"
#include "data/Schema.h"
#include "data/UModulo.h"
#include "data/files/FileOps.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"
#include "data/text/FixedFormats.h"
#include "declaration/DeclarationArchive.h"
#include "declaration/DeclarationCheck.h"
#include "declaration/Destination.h"
#include "declaration/PeriodFiling.h"
#include "details/PeriodRows.h"
#include "imports/ClientImport.h"
#include "imports/DetailImport.h"
#include "maintenance/TBDEUtil.h"
#include "maintenance/TableRepair.h"

#include <QDir>
#include <QFileInfo>

namespace orders {

namespace {

void answer(std::FILE* out, const QString& text)
{
    const QByteArray bytes = (text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fflush(out);
}

// How long an order waits for another program to let go of the folder of the tables.
constexpr int OrderLockWaitMs = 3000;

// Errors a user corrects in the data; everything else the store throws is a table or a file
// that failed.
int exitFor(const store::StoreError& error)
{
    switch (error.code()) {
    case store::KeyViolation:
    case store::MasterHasDetails:
    case store::ConversionError:
    case store::BackupRefused:
    case store::FolderBusy:
    case store::InputFileError:
        return ToCorrect;
    default:
        return Damaged;
    }
}

QString destinationOf(TDModulo& m, const CommandLine& line)
{
    return line.destino.isEmpty() ? destination::defaultFolder(m.aliasFolder()) : line.destino;
}

// Every form filed is kept as a PDF too; the filing stays done whatever happens to it.
void keepPdf(TDModulo& m, TerminalPrompt& prompt, const QString& codigo)
{
    const QString path = archive::keepPdf(m, prompt, codigo);
    if (!path.isEmpty())
        prompt.say(QStringLiteral("Declaración en PDF: %1").arg(QDir::toNativeSeparators(path)));
}

// The printout follows a filing that stays done whatever happens to it.
int printIfAsked(const CommandLine& line, TDModulo& m, const QString& codigo, TerminalPrompt& prompt,
                 const Printer& print)
{
    if (!line.imprimir)
        return Done;
    bool printed = false;
    try {
        printed = print && print(m, codigo);
    } catch (const std::exception& e) {
        prompt.error(QString::fromUtf8(e.what()));
    }
    if (printed)
        return Done;
    prompt.say(QStringLiteral("El archivo de la declaración quedó escrito, pero la declaración no se imprimió (no "
                              "hay una impresora predeterminada o la impresión falló). Para imprimirla: tarvenio "
                              "regenerar --anio %1 --anticipo %2 --imprimir")
                   .arg(m.TAnticipos->text(QStringLiteral("Anio")), m.TAnticipos->text(QStringLiteral("Anticipo"))));
    return ToCorrect;
}

filing::Warnings warningsOf(const CommandLine& line)
{
    return line.acceptWarnings ? filing::Warnings::Accept : filing::Warnings::Refuse;
}

int warned(TerminalPrompt& prompt)
{
    prompt.say(QStringLiteral("Para generarla de todos modos, repita la orden con --aceptar-avisos."));
    return ToCorrect;
}

int presentar(TDModulo& m, const CommandLine& line, TerminalPrompt& prompt, const Printer& print, std::FILE* out)
{
    if (m.TImprentas->isEmpty()) {
        prompt.notice(QStringLiteral("Cargue los datos de la Imprenta"));
        return ToCorrect;
    }
    const QString destino = destinationOf(m, line);
    // The pending period row the workbench starts for the generate form, with what was typed.
    store::Dataset* period = m.TAnticipos;
    period->insert();
    period->setText(QStringLiteral("Anio"), line.anio);
    period->setText(QStringLiteral("Anticipo"), line.anticipo);
    filing::Outcome outcome;
    try {
        outcome = filing::fileOpenPeriod(m, prompt, destino, warningsOf(line));
    } catch (...) {
        if (period->editing())
            period->cancel();
        throw;
    }
    if (period->editing())
        period->cancel();
    switch (outcome.result) {
    case filing::Result::Filed:
        break;
    case filing::Result::NoRoom:
        return Damaged;
    case filing::Result::MissingPeriod:
    case filing::Result::AlreadyFiled:
    case filing::Result::Faulty:
        return ToCorrect;
    case filing::Result::Warned:
        return warned(prompt);
    }
    answer(out, QDir::toNativeSeparators(outcome.path));
    keepPdf(m, prompt, outcome.codigo);
    return printIfAsked(line, m, outcome.codigo, prompt, print);
}

int regenerar(TDModulo& m, const CommandLine& line, TerminalPrompt& prompt, const Printer& print, std::FILE* out)
{
    store::Dataset* period = m.TAnticipos;
    if (period->isEmpty()) {
        prompt.notice(QStringLiteral("No hay Anticipos Generados"));
        return ToCorrect;
    }
    const QString anticipo = TDModulo::storedAnticipo(line.anticipo);
    if (!period->findKey({line.anio, anticipo})) {
        prompt.say(QStringLiteral("El anticipo %1 del año %2 no fue presentado.").arg(anticipo, line.anio));
        return ToCorrect;
    }
    const bool inPreparation = periodrows::amendmentInPreparation(*period);
    if (inPreparation && !line.closeAmendment)
        prompt.say(QStringLiteral("La rectificativa %1 sigue en preparación: la declaración lleva su número y la "
                                  "rectificativa no se cierra (se cierra con --cerrar-rectificativa).")
                       .arg(store::formats::number(period->asFloat(QStringLiteral("Rectificativa")))));
    const QString destino = destinationOf(m, line);
    if (!filing::acceptDestination(m, prompt, destino))
        return Damaged;
    const filing::Outcome outcome =
        filing::fileFiledPeriod(m, prompt, destino, inPreparation && line.closeAmendment, warningsOf(line));
    if (outcome.result == filing::Result::Faulty)
        return ToCorrect;
    if (outcome.result == filing::Result::Warned)
        return warned(prompt);
    answer(out, QDir::toNativeSeparators(outcome.path));
    keepPdf(m, prompt, outcome.codigo);
    return printIfAsked(line, m, outcome.codigo, prompt, print);
}

// The PDF of a filed period: the one kept below the tables (made again when missing), or a copy
// of it in the file given.
int pdf(TDModulo& m, const CommandLine& line, TerminalPrompt& prompt, std::FILE* out)
{
    QString kept;
    try {
        kept = archive::pdfOfFiledPeriod(m, line.anio, line.anticipo);
    } catch (const store::StoreError& e) {
        if (e.code() != store::RowGone)  // a period never filed is the user's to correct
            throw;
        prompt.say(e.text());
        return ToCorrect;
    }
    if (line.file.isEmpty()) {
        answer(out, QDir::toNativeSeparators(kept));
        return Done;
    }
    store::files::copyFile(kept, line.file);
    answer(out, QDir::toNativeSeparators(line.file));
    return Done;
}

imports::Columns columns(const CommandLine& line, const QString& name)
{
    return {line.columns.value(name + QStringLiteral("-desde"), 1),
            line.columns.value(name + QStringLiteral("-hasta"), 1)};
}

imports::ImportHooks progressOn(TerminalPrompt& prompt)
{
    imports::ImportHooks hooks;
    hooks.progress = [&prompt](int count) { prompt.progress(QStringLiteral("Cargando Registro Nº: %1").arg(count)); };
    return hooks;
}

int importarClientes(TDModulo& m, const CommandLine& line, TerminalPrompt& prompt)
{
    const QStringList names = clientColumnNames();
    const imports::ClientColumns c{columns(line, names[0]), columns(line, names[1]), columns(line, names[2]),
                                   columns(line, names[3]), columns(line, names[4]), columns(line, names[5]),
                                   columns(line, names[6])};
    imports::importClients(m, prompt, line.file, c, progressOn(prompt));
    return Done;
}

// What the help of the detail import says of each code.
QString detailCodeHelp(int code)
{
    switch (code) {
    case imports::BadNumber:
        return QStringLiteral(
            "Error 1: formato numérico inválido: el número desde o el número hasta falta o no es un "
            "número entero.");
    case imports::NumbersReversed:
        return QStringLiteral("Error 3: el número desde es mayor que el número hasta.");
    case imports::ValueMissing:
        return QStringLiteral(
            "Error 4: faltan datos obligatorios: C.U.I.T., fecha, razón social, tipo de "
            "comprobante o punto de venta.");
    case imports::CuitInvalid:
        return QStringLiteral("Error 5: el C.U.I.T. no es correcto según su dígito verificador.");
    case imports::ClientUnknown:
        return QStringLiteral(
            "Error 6: el contribuyente no existe: cargue sus datos antes de importar la "
            "declaración jurada.");
    default:
        return QStringLiteral("Error %1.").arg(code);
    }
}

int importarDetalles(TDModulo& m, const CommandLine& line, TerminalPrompt& prompt)
{
    const QStringList names = detailColumnNames();
    const imports::DetailColumns c{columns(line, names[0]), columns(line, names[1]), columns(line, names[2]),
                                   columns(line, names[3]), columns(line, names[4]), columns(line, names[5]),
                                   columns(line, names[6])};
    const imports::DetailOutcome outcome = imports::importDetails(m, prompt, line.file, c, progressOn(prompt));
    if (outcome.code == imports::RowTaken)
        return Done;
    if (outcome.help)
        prompt.say(detailCodeHelp(outcome.code));
    return ToCorrect;
}

int reparar(TDModulo& m, TerminalPrompt& prompt, std::FILE* out)
{
    const int count = int(tablerepair::tableBases().size());
    TBDEUtil util;
    tablerepair::RunOutcome run;
    tablerepair::RunHooks hooks;
    hooks.starting = [&prompt, count](int index, const QString& base) {
        prompt.progress(QStringLiteral("Reparando %1 (%2 de %3)").arg(base).arg(index + 1).arg(count));
    };
    hooks.done = [&prompt, out](const tablerepair::TableOutcome& outcome) {
        prompt.endProgress();
        answer(out, outcome.report);
    };
    tablerepair::repairAll(util, prompt, m.aliasFolder(), run, hooks);
    util.close();
    if (run.complete()) {
        prompt.say(QStringLiteral("La Reparación se ha completado con exito."));
        return Done;
    }
    prompt.say(QStringLiteral("No se ha podido Reparar la totalidad de la Base de Datos."));
    prompt.say(tablerepair::wayBack(m.aliasFolder()) +
               QStringLiteral(" Desde la línea de órdenes: tarvenio restaurar ARCHIVO."));
    return Damaged;
}

int respaldar(TDModulo& m, const CommandLine& line, std::FILE* out)
{
    const QString folder = m.aliasFolder();
    const QString target = line.file.isEmpty() ? backup::defaultFolder(folder) : line.file;
    answer(out, QDir::toNativeSeparators(backup::makeBackup(folder, target)));
    return Done;
}

// The order's answer is where the tables it replaced were kept.
int restaurar(TDModulo& m, const CommandLine& line, TerminalPrompt& prompt, std::FILE* out)
{
    if (!QFileInfo(line.file).isFile()) {
        prompt.say(QStringLiteral("No existe el archivo %1").arg(QDir::toNativeSeparators(line.file)));
        return ToCorrect;
    }
    const backup::RestoreOutcome outcome = backup::restoreBackup(m.aliasFolder(), line.file, prompt);
    prompt.say(QStringLiteral("Se restauró la copia de seguridad %1.").arg(QDir::toNativeSeparators(line.file)));
    if (!outcome.previous.isEmpty())
        answer(out, QDir::toNativeSeparators(outcome.previous));
    return Done;
}

int verificar(const CommandLine& line, TerminalPrompt& prompt, std::FILE* out)
{
    declcheck::Report report;
    try {
        report = declcheck::checkFile(line.file);
    } catch (const store::StoreError& e) {
        prompt.error(e.text());
        return ToCorrect;
    }
    if (report.ok()) {
        answer(out, declcheck::reportText(report));
        return Done;
    }
    prompt.say(declcheck::reportText(report).trimmed());
    return ToCorrect;
}

int runOnTables(const CommandLine& line, store::AliasConfig& config, TerminalPrompt& prompt, const Printer& print,
                std::FILE* out)
{
    TDModulo m(&config, prompt, line.dataFolder);
    // A mistyped folder is refused rather than made the first start of an empty one.
    const QString folder = m.aliasFolder();
    if (!QFileInfo(folder).isDir()) {
        prompt.say(QStringLiteral("No existe la carpeta de las tablas: %1").arg(QDir::toNativeSeparators(folder)));
        return ToCorrect;
    }
    // One program at a time on the folder; another one's work is waited for a short while.
    m.lockFolder(QStringLiteral("la orden %1").arg(line.orderWord), OrderLockWaitMs);
    // A restore may bring the tables into a folder that has none yet.
    if (line.order != Order::Restaurar && !store::Database::holdsAnyTable(folder, schema::tables())) {
        prompt.say(QStringLiteral("En la carpeta %1 no están las tablas del programa. Se crean la primera vez que "
                                  "se abren las ventanas sobre ella.")
                       .arg(QDir::toNativeSeparators(folder)));
        return ToCorrect;
    }
    if (line.order == Order::Reparar)
        return reparar(m, prompt, out);
    if (line.order == Order::Respaldar)
        return respaldar(m, line, out);
    if (line.order == Order::Restaurar)
        return restaurar(m, line, prompt, out);
    m.AbrirTablas();
    switch (line.order) {
    case Order::Presentar:
        return presentar(m, line, prompt, print, out);
    case Order::Regenerar:
        return regenerar(m, line, prompt, print, out);
    case Order::Pdf:
        return pdf(m, line, prompt, out);
    case Order::ImportarClientes:
        return importarClientes(m, line, prompt);
    case Order::ImportarDetalles:
        return importarDetalles(m, line, prompt);
    case Order::None:
    case Order::Reparar:
    case Order::Verificar:
    case Order::Respaldar:
    case Order::Restaurar:
        break;
    }
    return Done;
}

}  // namespace

int run(const CommandLine& line, store::AliasConfig& config, TerminalPrompt& prompt, const Printer& print,
        std::FILE* out)
{
    try {
        if (line.order == Order::Verificar)
            return verificar(line, prompt, out);
        return runOnTables(line, config, prompt, print, out);
    } catch (const store::Abort&) {
        return ToCorrect;  // a rule has told its message
    } catch (const store::StoreError& e) {
        prompt.error(e.text());
        return exitFor(e);
    } catch (const std::exception& e) {
        prompt.error(QString::fromUtf8(e.what()));
        return Damaged;
    }
}

}  // namespace orders
