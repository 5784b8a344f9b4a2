#include "FilingCheck.h"

#include "DeclarationRecords.h"
#include "data/Schema.h"
#include "data/UModulo.h"
#include "data/store/Database.h"
#include "data/store/ViewScan.h"
#include "data/text/FixedFormats.h"
#include "data/text/Text1252.h"

#include <QDate>

#include <optional>

namespace filingcheck {

namespace {

using declcheck::records::FieldLayout;
using declcheck::records::RecordLayout;
using store::FieldType;
using Storage = store::Statement::Storage;

// Each field as the clerk knows it, from the table its value is stored in: a row's client
// fields from the clients, the others from the record's own table.
QString label(const RecordLayout& record, const FieldLayout& field)
{
    const QLatin1String table(field.table ? field.table : record.table);
    const QString name = QString::fromLatin1(field.name);
    const store::FieldDef* def = schema::table(table).field(name);
    return def ? def->shownName() : name;
}

// What keeps a stored text out of the file: a character Windows-1252 has not, or a byte the
// verifier refuses in a field (NUL, a line break, UTF-8 read as Windows-1252).
QString textFault(const QString& value)
{
    QByteArray bytes;
    bytes.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        char32_t c = value[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < value.size() && value[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), value[i + 1].unicode());
        char byte;
        if (!store::windows1252Byte(c, &byte))
            return QStringLiteral("tiene el carácter «%1», que no es de Windows-1252").arg(QString::fromUcs4(&c, 1));
        bytes += byte;
    }
    return declcheck::records::badBytes(bytes);
}

QString number(double value) { return store::formats::number(value); }

QString clientOf(const QString& cuit, const QString& razon)
{
    if (cuit.isEmpty() && razon.isEmpty())
        return QStringLiteral("sin cliente");
    // A line break stored in a name would break the line that names the row.
    QString name = razon;
    for (QChar& c : name)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return QStringLiteral("%1 (C.U.I.T. %2)").arg(name.simplified(), cuit);
}

QString formRow(const QString& cuit, const QString& razon, const QString& tipo, const QString& puntoVenta,
                const QString& desde, const QString& hasta)
{
    return QStringLiteral("Formulario de %1, %2%3, N° %4 a %5")
        .arg(clientOf(cuit, razon), tipo.isEmpty() ? QStringLiteral("sin tipo") : tipo,
             puntoVenta.isEmpty() ? QString() : QStringLiteral(", P.V. ") + puntoVenta, desde, hasta);
}

class Checker {
public:
    explicit Checker(TDModulo& m) : m_m(m), m_db(m.Session1_1->database()) {}

    Result run()
    {
        checkPeriod();
        checkAgent();
        checkRows(*m_m.TVerDetalles, "020", "Cliente");
        checkRows(*m_m.TVerMaquinas, "030", "Cliente_id");
        checkClients();
        checkRanges();
        return std::move(m_result);
    }

private:
    void add(QList<Finding>& list, const QString& row, const QString& text)
    {
        if (list.size() >= MaxFindings) {
            m_result.truncated = true;
            return;
        }
        list.append({row, text});
    }

    void checkValue(const QString& row, const RecordLayout& record, const FieldLayout& layout, const QString& value)
    {
        QString why = textFault(value);
        if (why.isEmpty())
            why = declcheck::records::valueFault(layout, value, &m_anio, &m_anticipo);
        if (!why.isEmpty())
            add(m_result.faults, row, label(record, layout) + QLatin1Char(' ') + why);
    }

    void checkRecord(const char* type, const QString& row, const QStringList& values)
    {
        const RecordLayout* layout = declcheck::records::recordLayout(type);
        for (int f = 1; f < layout->fields.size() && f <= values.size(); ++f)
            checkValue(row, *layout, layout->fields[f], values[f - 1]);
    }

    // A pending period row is checked as its post will store it.
    void checkPeriod()
    {
        store::Dataset& period = *m_m.TAnticipos;
        const bool pending = period.state() == store::DatasetState::Insert;
        m_anio = period.text(QStringLiteral("Anio"));
        m_anticipo = pending ? TDModulo::storedAnticipo(period.text(QStringLiteral("Anticipo")))
                             : period.text(QStringLiteral("Anticipo"));
        QString rectificativa = period.text(QStringLiteral("Rectificativa"));
        if (pending && rectificativa.isEmpty())
            rectificativa = QStringLiteral("0");
        checkRecord("000", QStringLiteral("Período %1/%2").arg(m_anticipo, m_anio),
                    {m_anio, m_anticipo, rectificativa});
    }

    void checkAgent()
    {
        store::Dataset& agent = *m_m.TImprentas;
        QStringList values;
        for (const char* field : {"Cuit", "Nombre", "Imprentas", "VMR", "Autoimpresores", "Inscripcion", "Domicilio",
                                  "Localidad", "Codigo_Postal", "Provincia"})
            values << agent.text(QLatin1String(field));
        checkRecord("010", QStringLiteral("Datos del Agente"), values);
    }

    // A value of a scanned row as the file writer writes it; why it cannot be written, if so.
    static QString valueOf(const store::Statement& row, int i, FieldType type, QString& why)
    {
        const Storage storage = row.storage(i);
        if (storage == Storage::Null)
            return {};
        if (type == FieldType::Float) {
            if (storage == Storage::Integer || storage == Storage::Real)
                return number(row.real(i));
            bool ok = false;
            const double value = QString::fromUtf8(row.utf8(i)).toDouble(&ok);
            if (!ok)
                why = QStringLiteral("«%1» no es un número").arg(QString::fromUtf8(row.utf8(i)));
            return ok ? number(value) : QString();
        }
        if (type == FieldType::Date) {
            const QDate date = QDate::fromString(QString::fromUtf8(row.utf8(i)), Qt::ISODate);
            if (!date.isValid())
                why = QStringLiteral("«%1» no es una fecha").arg(QString::fromUtf8(row.utf8(i)));
            return date.isValid() ? store::formats::date(date) : QString();
        }
        return QString::fromUtf8(row.utf8(i));
    }

    bool clientExists(qint64 id)
    {
        if (!m_findClient)
            m_findClient.emplace(m_db, QStringLiteral("SELECT 1 FROM %1 WHERE Id_cliente = ?")
                                           .arg(m_db.qualifiedTable(QStringLiteral("cliente"))));
        m_findClient->reset();
        m_findClient->bind(1, id);
        return m_findClient->step();
    }

    // The rows of a period view, each field as its record takes it, and its client.
    void checkRows(const store::Dataset& view, const char* type, const char* clientField)
    {
        const RecordLayout* layout = declcheck::records::recordLayout(type);
        QStringList fields;
        for (int f = 1; f < layout->fields.size(); ++f)
            fields << QString::fromLatin1(layout->fields[f].name);
        const bool forms = layout->rank == 2;
        const int clientColumn = int(fields.size());
        fields << QString::fromLatin1(clientField);
        store::ViewScan scan(view, fields);
        QStringList values;
        QStringList why;
        while (scan.next() && m_result.faults.size() < MaxFindings) {
            const store::Statement& r = scan.row();
            values.clear();
            why.clear();
            for (int i = 0; i < clientColumn; ++i) {
                QString bad;
                values << valueOf(r, i, scan.type(i), bad);
                if (!bad.isEmpty())
                    why << label(*layout, layout->fields[i + 1]) + QLatin1Char(' ') + bad;
            }
            const QString row = forms ? formRow(values[0], values[1], values[3], values[9], values[5], values[6])
                                      : QStringLiteral("Máquina de %1, %2 %3, %4")
                                            .arg(clientOf(values[0], values[1]), values[3], values[4], values[2]);
            for (const QString& text : std::as_const(why))
                add(m_result.faults, row, text);
            if (r.storage(clientColumn) == Storage::Null)
                add(m_result.faults, row, QStringLiteral("no tiene cliente"));
            else if (values[0].isEmpty() && !clientExists(r.integer(clientColumn)))
                add(m_result.faults, row, QStringLiteral("su cliente no está en la lista de clientes"));
            else if (!TDModulo::ValidarCuit(values[0]))
                add(m_result.faults, row, QStringLiteral("el C.U.I.T. %1 de su cliente no es válido").arg(values[0]));
            checkRecord(type, row, values);
        }
    }

    void checkClients()
    {
        const RecordLayout* layout = declcheck::records::recordLayout("040");
        QStringList fields;
        for (int f = 1; f < layout->fields.size(); ++f)
            fields << QString::fromLatin1(layout->fields[f].name);
        store::ViewScan scan(*m_m.TCliente, fields);
        QStringList values;
        while (scan.next() && m_result.faults.size() < MaxFindings) {
            values.clear();
            for (int i = 0; i < fields.size(); ++i)
                values << QString::fromUtf8(scan.row().utf8(i));
            checkRecord("040", QStringLiteral("Cliente %1").arg(clientOf(values[0], values[1])), values);
        }
    }

    // The ranges of forms of the rows filed now against each other and against every filed
    // period, voided rows left out. Sorted by form type, point of sale and first number, a
    // range overlaps an earlier one exactly when it begins before the highest end seen so
    // far; the highest end among the rows filed now and among all rows are kept apart, so
    // that each overlap with a row filed now is found and two old rows are not told again.
    void checkRanges()
    {
        const store::Dataset& view = *m_m.TVerDetalles;
        const store::Filter& where = view.where();
        const QString filing = where.sql.isEmpty() ? QStringLiteral("1") : where.sql;
        store::Statement scan(
            m_db,
            QStringLiteral("SELECT Detalle_id, coalesce(Tipo_comprobante, ''), coalesce(Punto_Venta, ''), NDesde, "
                           "NHasta, CASE WHEN (%2) THEN 1 ELSE 0 END FROM %1 "
                           "WHERE (Anulado IS NULL OR Anulado <> 'S') AND NDesde IS NOT NULL AND NHasta IS NOT "
                           "NULL AND ((%2) OR Anio IS NOT NULL) "
                           "ORDER BY 2, 3, NDesde, NHasta")
                .arg(m_db.qualifiedTable(view.tableName()), filing));
        const int n = int(where.values.size());
        for (int pass = 0; pass < 2; ++pass)
            for (int i = 0; i < n; ++i)
                scan.bind(pass * n + i + 1, where.values[i]);

        struct Range {
            qint64 id = -1;
            double desde = 0, hasta = 0;
        };
        QByteArray tipo, puntoVenta;
        Range anyRow, filedNow;  // the highest end so far in the group: of any row, of a row filed now
        while (scan.step() && m_result.warnings.size() < MaxFindings) {
            if (tipo != scan.utf8(1) || puntoVenta != scan.utf8(2)) {
                tipo = scan.utf8(1).toByteArray();
                puntoVenta = scan.utf8(2).toByteArray();
                anyRow = filedNow = Range{};
            }
            const Range range{scan.integer(0), scan.real(3), scan.real(4)};
            const bool now = scan.integer(5) != 0;
            const Range& earlier = now ? anyRow : filedNow;
            if (earlier.id >= 0 && range.desde <= earlier.hasta)
                warn(now ? range.id : earlier.id, now ? earlier.id : range.id);
            if (anyRow.id < 0 || range.hasta > anyRow.hasta)
                anyRow = range;
            if (now && (filedNow.id < 0 || range.hasta > filedNow.hasta))
                filedNow = range;
        }
    }

    struct Described {
        QString row, period;
        double desde = 0, hasta = 0;
    };

    Described describe(qint64 id)
    {
        if (!m_describe)
            m_describe.emplace(m_db, QStringLiteral("SELECT t.Tipo_comprobante, t.Punto_Venta, t.NDesde, t.NHasta, "
                                                    "t.Anio, t.Anticipo, c.Cuit, c.Razon_Social FROM %1 AS t "
                                                    "LEFT JOIN %2 AS c ON c.Id_cliente = t.Cliente "
                                                    "WHERE t.Detalle_id = ?")
                                         .arg(m_db.qualifiedTable(QStringLiteral("detalle")),
                                              m_db.qualifiedTable(QStringLiteral("cliente"))));
        m_describe->reset();
        m_describe->bind(1, id);
        Described d;
        if (!m_describe->step())
            return d;
        const auto text = [this](int i) { return m_describe->column(i).toString(); };
        d.desde = m_describe->real(2);
        d.hasta = m_describe->real(3);
        d.row = formRow(text(6), text(7), text(0), text(1), number(d.desde), number(d.hasta));
        d.period = text(4).isEmpty() ? QString() : QStringLiteral("%1/%2").arg(text(5), text(4));
        return d;
    }

    void warn(qint64 now, qint64 other)
    {
        const Described a = describe(now), b = describe(other);
        const bool same = a.desde == b.desde && a.hasta == b.hasta;
        const bool thisPeriod = b.period.isEmpty() || (b.period == QStringLiteral("%1/%2").arg(m_anticipo, m_anio));
        add(m_result.warnings, a.row,
            QStringLiteral("%1 %2%3").arg(
                same ? QStringLiteral("repite el rango de") : QStringLiteral("se superpone con"), b.row,
                thisPeriod ? QStringLiteral(", de esta misma declaración")
                           : QStringLiteral(", presentado en el anticipo %1").arg(b.period)));
    }

    TDModulo& m_m;
    store::Database& m_db;
    Result m_result;
    QString m_anio, m_anticipo;
    std::optional<store::Statement> m_findClient;
    std::optional<store::Statement> m_describe;
};

QString listed(const QString& heading, const QList<Finding>& findings, bool truncated, int shown)
{
    QStringList lines{heading, QString()};
    for (int i = 0; i < findings.size() && i < shown; ++i)
        lines << QStringLiteral("• ") + findings[i].row + QStringLiteral(": ") + findings[i].text;
    const qsizetype rest = findings.size() - shown;
    if (rest > 0 || truncated)
        lines << (truncated   ? QStringLiteral("… y más.")
                  : rest == 1 ? QStringLiteral("… y 1 más.")
                              : QStringLiteral("… y %1 más.").arg(rest));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

Result check(TDModulo& m) { return Checker(m).run(); }

QString faultsText(const Result& result, int shown)
{
    const qsizetype n = result.faults.size();
    return listed(n == 1 ? QStringLiteral("No se puede generar la presentación: hay un error en los datos que irían "
                                          "en la declaración. Corríjalo y vuelva a generar; no se cambió nada.")
                         : QStringLiteral("No se puede generar la presentación: hay %1 errores en los datos que "
                                          "irían en la declaración. Corríjalos y vuelva a generar; no se cambió nada.")
                               .arg(n),
                  result.faults, result.truncated, shown);
}

QString warningsText(const Result& result, int shown)
{
    const qsizetype n = result.warnings.size();
    return listed(n == 1 ? QStringLiteral("Un rango de formularios ya fue declarado:")
                         : QStringLiteral("%1 rangos de formularios ya fueron declarados:").arg(n),
                  result.warnings, result.truncated, shown);
}

}  // namespace filingcheck
