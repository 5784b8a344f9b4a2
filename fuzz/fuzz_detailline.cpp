// The fixed-column cutting and the decoding of a detail line (imports::cut, extract, upperAscii,
// imports::Decodificar). Input: the positions, then lines (see FixedLines.h). Every value is cut
// as the plain reference cuts it, and each line's result code and row are those the decoding's
// steps give, worked out here on their own: numbers, missing values, order, C.U.I.T. check,
// the client, and the values the detail table can hold (a real date, numbers never below zero).
#include "FixedLines.h"
#include "FuzzSupport.h"
#include "imports/DetailImport.h"

#include <QDate>
#include <QHash>
#include <QStringList>
#include <optional>

namespace {

// Registered clients of the decoding: a C.U.I.T. the check passes that is missing here gives 6.
const QHash<QString, qint64>& registered()
{
    static const QHash<QString, qint64> clients{{QStringLiteral("20123456786"), 7}, {QStringLiteral("30712345671"), 9}};
    return clients;
}

// What a text field of the tables can hold: characters of Windows-1252 and no NUL.
bool storable(const QString& text)
{
    for (QChar c : text)
        if (c.isNull() || !fuzz::inWindows1252(c))
            return false;
    return true;
}

// A date as the table keeps it: a day and month of one digit take their zero, and only a real
// calendar day written dd/mm/yyyy is kept; an entry mask left blank keeps nothing.
std::optional<QString> storedDate(const QString& text)
{
    if (QString(text).replace(QLatin1Char('_'), QLatin1Char(' ')).remove(QLatin1Char('/')).trimmed().isEmpty())
        return QString();
    QString date = text;
    const QStringList parts = text.trimmed().split(QLatin1Char('/'));
    if (parts.size() == 3 && parts[0].size() >= 1 && parts[0].size() <= 2 && parts[1].size() >= 1 &&
        parts[1].size() <= 2 && parts[2].size() == 4)
        date = parts[0].rightJustified(2, QLatin1Char('0')) + QLatin1Char('/') +
               parts[1].rightJustified(2, QLatin1Char('0')) + QLatin1Char('/') + parts[2];
    date = date.left(10);
    if (date.size() != 10 || date[2] != QLatin1Char('/') || date[5] != QLatin1Char('/'))
        return std::nullopt;
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (date[i] < QLatin1Char('0') || date[i] > QLatin1Char('9'))
            return std::nullopt;
    const QDate day(date.mid(6).toInt(), date.mid(3, 2).toInt(), date.left(2).toInt());
    if (!day.isValid() || day.year() < 1)
        return std::nullopt;
    return date;
}

struct Expected {
    int code = imports::RowTaken;
    imports::DetailRow row;
};

Expected decodeByHand(const QString& line, const imports::DetailColumns& c)
{
    Expected e;
    const QString fecha = fuzz::referenceExtract(line, c.fecha);
    const QString razonSocial = fuzz::referenceUpper(fuzz::referenceExtract(line, c.razonSocial));
    const QString cuit = fuzz::referenceTrim(fuzz::referenceCut(line, c.cuit).left(11));
    const QString tipo = fuzz::referenceExtract(line, c.tipoComprobante);
    const QString desdeText = fuzz::referenceExtract(line, c.nDesde);
    const QString hastaText = fuzz::referenceExtract(line, c.nHasta);
    const QString puntoVenta = fuzz::referenceUpper(fuzz::referenceExtract(line, c.puntoVenta));

    const bool missing = cuit.isEmpty() || fecha.isEmpty() || razonSocial.isEmpty() || tipo.isEmpty() ||
                         desdeText.isEmpty() || hastaText.isEmpty() || puntoVenta.isEmpty();
    const std::optional<qint64> desde = fuzz::referenceNumber(desdeText), hasta = fuzz::referenceNumber(hastaText);
    // Form numbers are whole and never below zero.
    if (!desde || !hasta || *desde < 0 || *hasta < 0) {
        e.code = imports::BadNumber;
        return e;
    }
    e.code = *desde > *hasta ? imports::NumbersReversed : missing ? imports::ValueMissing : imports::RowTaken;
    if (e.code != imports::RowTaken)
        return e;
    if (!fuzz::referenceCuit(cuit)) {
        e.code = imports::CuitInvalid;
        return e;
    }
    if (!registered().contains(cuit)) {
        e.code = imports::ClientUnknown;
        return e;
    }
    // Fecha holds 10 characters, Tipo_comprobante 60, Punto_Venta 4.
    const std::optional<QString> date = storedDate(fecha);
    e.row.fecha = date.value_or(QString());
    e.row.tipoComprobante = tipo.left(60);
    e.row.puntoVenta = puntoVenta.left(4);
    if (!date || !storable(e.row.tipoComprobante) || !storable(e.row.puntoVenta)) {
        e.code = imports::BadNumber;
        return e;
    }
    e.row.cliente = registered().value(cuit);
    e.row.nDesde = double(*desde);
    e.row.nHasta = double(*hasta);
    e.row.canTalonarios = double(*hasta - *desde + 1);
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::FixedInput input = fuzz::fixedInput(fuzz::bytes(data, size));
    const auto& p = input.columns;
    const imports::DetailColumns columns{p[0], p[1], p[2], p[3], p[4], p[5], p[6]};
    const imports::ClientLookup findClient = [](const QString& cuit) -> std::optional<qint64> {
        fuzz::require(fuzz::referenceCuit(cuit) && !cuit.isEmpty(), "a client looked up by a C.U.I.T. that fails",
                      cuit);
        const auto it = registered().constFind(cuit);
        return it == registered().cend() ? std::nullopt : std::optional<qint64>(*it);
    };
    for (const QString& line : input.lines) {
        for (const imports::Columns& c : p) {
            fuzz::require(imports::cut(line, c) == fuzz::referenceCut(line, c), "cut", line);
            fuzz::require(imports::extract(line, c) == fuzz::referenceExtract(line, c), "extract", line);
            fuzz::require(
                imports::upperAscii(imports::extract(line, c)) == fuzz::referenceUpper(fuzz::referenceExtract(line, c)),
                "upper case", line);
        }
        imports::DetailRow row;
        const int code = imports::Decodificar(line, columns, findClient, row);
        const Expected expected = decodeByHand(line, columns);
        fuzz::require(code == expected.code, "result code",
                      QStringLiteral("%1, expected %2: %3").arg(code).arg(expected.code).arg(line));
        if (code != imports::RowTaken)
            continue;
        fuzz::require(row == expected.row, "row", line);
    }
    return 0;
}
