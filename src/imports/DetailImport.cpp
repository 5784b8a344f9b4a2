#include "DetailImport.h"

#include "TextFile.h"
#include "backup/Backup.h"
#include "data/Prompt.h"
#include "data/Schema.h"
#include "data/UModulo.h"
#include "data/store/BulkWriter.h"
#include "data/store/FieldCodec.h"
#include "details/RowRules.h"

#include <QDir>
#include <QHash>

namespace imports {

namespace {

const QString Clients = QStringLiteral("cliente");
const QString Details = QStringLiteral("detalle");

// Form numbers are stored as floats; beyond 15 digits they would not come back the same.
const qint64 LargestNumber = 999999999999999LL;

// A whole number in decimal digits with an optional sign; nothing for anything else.
std::optional<qint64> wholeNumber(QStringView text)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == QLatin1Char('-');
    if (!text.isEmpty() && (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')))
        i = 1;
    if (i >= text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > LargestNumber)
            return std::nullopt;
    }
    return negative ? -value : value;
}

// The tables as the run meets them: prepared once, used for every line.
class DetailTables {
public:
    explicit DetailTables(store::Database& db)
        : m_find(db,
                 QStringLiteral("SELECT Id_cliente FROM %1 WHERE Cuit = ? LIMIT 1").arg(db.qualifiedTable(Clients))),
          m_writer(db, Details,
                   QStringLiteral("Cliente Fecha Tipo_comprobante NDesde NHasta CanTalonarios Punto_Venta Importado "
                                  "Anulado")
                       .split(QLatin1Char(' ')))
    {}

    // The register does not change during a run, so an answer holds for every later line.
    std::optional<qint64> client(const QString& cuit)
    {
        const auto known = m_clients.constFind(cuit);
        if (known != m_clients.constEnd())
            return *known;
        m_find.reset();
        m_find.bind(1, cuit);
        std::optional<qint64> id;
        if (m_find.step())
            id = m_find.column(0).toLongLong();
        m_find.reset();
        if (m_clients.size() < 100000)
            m_clients.insert(cuit, id);
        return id;
    }

    void add(const DetailRow& row)
    {
        m_writer.setValue(0, row.cliente);
        m_writer.setText(1, row.fecha);
        m_writer.setText(2, row.tipoComprobante);
        m_writer.setValue(3, row.nDesde);
        m_writer.setValue(4, row.nHasta);
        m_writer.setValue(5, row.canTalonarios);
        m_writer.setText(6, row.puntoVenta);
        m_writer.setText(7, u"S");
        m_writer.setText(8, u"N");
        m_writer.insert();
    }
    void finish() { m_writer.finish(); }

private:
    store::Statement m_find;
    store::BulkWriter m_writer;
    QHash<QString, std::optional<qint64>> m_clients;
};

const store::FieldDef& field(const char* name) { return *schema::table(Details).field(QString::fromLatin1(name)); }

}  // namespace

const std::array<ColumnBounds, 7>& detailColumnBounds()
{
    // The date is free; the others keep to a line of 255 characters, the last number from 1.
    static const std::array<ColumnBounds, 7> bounds{{
        {},
        {0, 255},
        {0, 255, 0, 255},
        {0, 255, 0, 255},
        {0, 255, 0, 255},
        {0, 255, 1, 255},
        {0, 255},
    }};
    return bounds;
}

int Decodificar(QStringView line, const DetailColumns& columns, const ClientLookup& findClient, DetailRow& row)
{
    static const store::FieldDef& fechaField = field("Fecha");
    static const store::FieldDef& tipoField = field("Tipo_comprobante");
    static const store::FieldDef& puntoField = field("Punto_Venta");
    static const store::FieldDef& desdeField = field("NDesde");
    static const store::FieldDef& hastaField = field("NHasta");
    static const store::FieldDef& cantidadField = field("CanTalonarios");

    const QStringView fecha = extract(line, columns.fecha);
    const QStringView razonSocial = extract(line, columns.razonSocial);
    // Only the first 11 characters of the C.U.I.T.'s range count: one written with dashes
    // loses its end and then fails the check.
    const QString cuit = trimmed(cut(line, columns.cuit).left(11)).toString();
    const QStringView tipo = extract(line, columns.tipoComprobante);
    const QStringView desdeText = extract(line, columns.nDesde);
    const QStringView hastaText = extract(line, columns.nHasta);
    const QStringView puntoVenta = extract(line, columns.puntoVenta);

    int code = RowTaken;
    if (cuit.isEmpty() || fecha.isEmpty() || razonSocial.isEmpty() || tipo.isEmpty() || desdeText.isEmpty() ||
        hastaText.isEmpty() || puntoVenta.isEmpty())
        code = ValueMissing;
    const std::optional<qint64> desde = wholeNumber(desdeText);
    const std::optional<qint64> hasta = wholeNumber(hastaText);
    // Form numbers are whole and never below zero.
    if (!desde || !hasta || *desde < 0 || *hasta < 0)
        return BadNumber;
    if (rowrules::formNumbersFault(double(*desde), double(*hasta)))
        code = NumbersReversed;
    if (code != RowTaken)
        return code;
    if (!TDModulo::ValidarCuit(cuit))
        return CuitInvalid;
    const std::optional<qint64> client = findClient(cuit);
    if (!client)
        return ClientUnknown;
    // The rules every road into the table keeps: an impossible date or a value the field cannot
    // hold is an error of the line like any other.
    using store::fieldcodec::toStored;
    try {
        row.fecha = toStored(fechaField, fecha.toString()).toString();
        row.tipoComprobante = store::fieldcodec::storedText(tipoField, tipo).toString();
        row.puntoVenta = store::fieldcodec::storedText(puntoField, upperAscii(puntoVenta)).toString();
        row.nDesde = toStored(desdeField, double(*desde)).toDouble();
        row.nHasta = toStored(hastaField, double(*hasta)).toDouble();
        row.canTalonarios = toStored(cantidadField, rowrules::canTalonarios(double(*desde), double(*hasta))).toDouble();
    } catch (const store::StoreError&) {
        return BadNumber;
    }
    row.cliente = *client;
    return RowTaken;
}

DetailOutcome importDetails(TDModulo& modulo, Prompt& prompt, const QString& path, const DetailColumns& columns,
                            const ImportHooks& hooks)
{
    DetailOutcome outcome;
    TextFile file(path);
    // A file with nothing in it is refused before anything changes: as a failing first line it
    // would take every imported row of the open period with it.
    QString line;
    if (!file.readLine(line))
        throw store::StoreError(store::InputFileError,
                                QStringLiteral("El archivo %1 está vacío: no se cargó ningún registro.")
                                    .arg(QDir::toNativeSeparators(path)));
    if (prompt.box(QStringLiteral("Se cargara el archivo seleccionado"), QStringLiteral("Caldivar"),
                   PromptButtons::OkCancel) != PromptButton::Ok)
        return outcome;
    outcome.confirmed = true;
    // The file is read as it stood when the user said yes to it, or not at all.
    file.checkUnchanged();

    store::Database& db = modulo.Session1_1->database();
    {
        BusyScope busy(prompt);
        backup::makeSafetyCopy(modulo.aliasFolder(), backup::Work::Import);
        // One transaction: a crash or a killed program mid-run leaves the open period as it was.
        store::Transaction transaction(db);
        DetailTables tables(db);
        const ClientLookup findClient = [&tables](const QString& cuit) { return tables.client(cuit); };
        ProgressThrottle progress(hooks.progress);
        DetailRow row;
        auto take = [&] {
            outcome.code = Decodificar(line, columns, findClient, row);
            if (outcome.code == RowTaken)
                tables.add(row);
        };
        take();
        outcome.count = 1;
        while (outcome.code == RowTaken && file.readLine(line)) {
            take();
            progress.step(++outcome.count);
        }
        progress.finish();
        tables.finish();
        if (outcome.code != RowTaken) {
            // Every imported row of the open period goes, those of earlier runs too, so the
            // declaration is loaded again from a corrected file; typed rows stay.
            modulo.QBorrar->execSql();
        }
        transaction.commit();
    }

    if (outcome.code != RowTaken) {
        const QString text = QStringLiteral("Fallo en registro Nº ") + QString::number(outcome.count) +
                             QStringLiteral(" con error: ") + QString::number(outcome.code) +
                             QStringLiteral(". Deberá Cargar Nuevamente la DJ.") + QLatin1Char('\r') +
                             QStringLiteral("¿Desea obtener más Información?");
        outcome.help = prompt.box(text, QStringLiteral("Caldivar"), PromptButtons::YesNo) == PromptButton::Yes;
    } else {
        prompt.box(
            QStringLiteral("Se han cargado con exito ") + QString::number(outcome.count) + QStringLiteral(" Registros"),
            QStringLiteral("Caldivar"), PromptButtons::Ok);
    }
    if (modulo.TDetalles->active())
        modulo.TDetalles->refresh();
    return outcome;
}

}  // namespace imports
