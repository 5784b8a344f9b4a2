#include "DeclarationRecords.h"

#include "data/Schema.h"
#include "data/UModulo.h"
#include "data/text/FixedFormats.h"
#include "data/text/NumberText.h"
#include "data/text/Text1252.h"

#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace declcheck::records {

namespace {

// The width of each text field, from the table its value is stored in, found once.
QList<RecordLayout> withWidths(QList<RecordLayout> layouts)
{
    for (RecordLayout& layout : layouts)
        for (FieldLayout& field : layout.fields)
            if (field.table)
                if (const store::FieldDef* def =
                        schema::table(QLatin1String(field.table)).field(QLatin1String(field.name)))
                    field.width = def->width;
    return layouts;
}

const QList<RecordLayout>& records()
{
    static const QList<RecordLayout> layouts = withWidths({
        {"000",
         0,
         "anticipos",
         {{"tipo", Kind::Type},
          {"Anio", Kind::Year},
          {"Anticipo", Kind::Month},
          {"Rectificativa", Kind::RequiredNumber}}},
        {"010",
         1,
         "imprenta",
         {{"tipo", Kind::Type},
          {"Cuit", Kind::AgentCuit, "imprenta"},
          {"Nombre", Kind::Text, "imprenta"},
          {"Imprentas", Kind::Flag},
          {"VMR", Kind::Flag},
          {"Autoimpresores", Kind::Flag},
          {"Inscripcion", Kind::Text, "imprenta"},
          {"Domicilio", Kind::Text, "imprenta"},
          {"Localidad", Kind::Text, "imprenta"},
          {"Codigo_Postal", Kind::ShortInt},
          {"Provincia", Kind::Text, "imprenta"}}},
        {"020",
         2,
         "detalle",
         {{"tipo", Kind::Type},
          {"Cuit", Kind::ClientRef, "cliente"},
          {"Razon_Social", Kind::Text, "cliente"},
          {"Fecha", Kind::Text, "detalle"},  // typed or imported text: only its width is fixed
          {"Tipo_comprobante", Kind::Text, "detalle"},
          {"CanTalonarios", Kind::WholeNumber},
          {"NDesde", Kind::FormNumber},
          {"NHasta", Kind::FormNumber},
          {"Anio", Kind::RowYear},
          {"Anticipo", Kind::RowMonth},
          {"Punto_Venta", Kind::Text, "detalle"},
          {"Anulado", Kind::Flag},
          {"Importado", Kind::Flag}}},
        {"030",
         3,
         "maquina",
         {{"tipo", Kind::Type},
          {"Cuit", Kind::ClientRef, "cliente"},
          {"Razon_Social", Kind::Text, "cliente"},
          {"Fecha", Kind::Date},
          {"Marca", Kind::Text, "maquina"},
          {"Modelo", Kind::Text, "maquina"},
          {"Precio", Kind::Number},
          {"Anio", Kind::RowYear},
          {"Anticipo", Kind::RowMonth},
          {"Codigo", Kind::Text, "maquina"},
          {"Emision", Kind::Text, "maquina"},
          {"Serie", Kind::Text, "maquina"},
          {"Anulado", Kind::Flag}}},
        {"040",
         4,
         "cliente",
         {{"tipo", Kind::Type},
          {"Cuit", Kind::ClientCuit, "cliente"},
          {"Razon_Social", Kind::Text, "cliente"},
          {"Inscripcion", Kind::Text, "cliente"},
          {"Domicilio", Kind::Text, "cliente"},
          {"Localidad", Kind::Text, "cliente"},
          {"Codigo_Postal", Kind::Text, "cliente"},
          {"Provincia", Kind::Text, "cliente"}}},
    });
    return layouts;
}

}  // namespace

const RecordLayout* recordLayout(const QByteArray& type)
{
    for (const RecordLayout& layout : records())
        if (type == layout.type)
            return &layout;
    return nullptr;
}

const RecordLayout* layoutOf(QByteArrayView type)
{
    if (type.size() != 3 || type[0] != '0' || type[2] != '0')
        return nullptr;
    const unsigned rank = unsigned(uchar(type[1])) - '0';
    return rank <= 4 ? &records()[rank] : nullptr;
}

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = store::windows1252Char(uchar(bytes[i]));
    return text;
}

QString shown(const QString& value)
{
    const int longest = 40;
    return QStringLiteral("«%1»").arg(value.size() > longest ? value.left(longest) + QStringLiteral("…") : value);
}

bool numberForm(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^-?[0-9]+(,[0-9]+)?(E[-+]?[0-9]+)?$"));
    if (!form.match(text).hasMatch())
        return false;
    bool ok = false;
    const double value = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && std::isfinite(value) && store::formats::number(value) == text;
}

bool dateForm(const QString& text)
{
    const QDate date = QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
    return date.isValid() && store::formats::date(date) == text;
}

bool shortInt(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    const QString digits = text.startsWith(QLatin1Char('-')) ? text.mid(1) : text;
    return ok && !digits.isEmpty() && store::onlyDigits(digits) && value >= -32768 && value <= 32767;
}

// The first thing in a value that Windows-1252 text cannot be; empty when there is none. A
// character of more than one byte in UTF-8 reads as two or three valid Windows-1252 bytes, so
// its pattern is looked for: nobody types "Ã³" for "ó".
QString badBytes(QByteArrayView value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        const uchar b = uchar(value[i]);
        if (b == 0)
            return QStringLiteral("tiene un carácter nulo");
        if (b == '\r' || b == '\n')
            return QStringLiteral("tiene un salto de línea, que partiría el registro en dos");
        if (store::windows1252Char(b) == QChar::ReplacementCharacter)
            return QStringLiteral("tiene el byte 0x%1, que no es un carácter de Windows-1252")
                .arg(QString::number(b, 16).toUpper());
        if (b >= 0xC2 && b <= 0xF4) {
            const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
            bool utf8 = i + extra < value.size();
            for (int k = 1; utf8 && k <= extra; ++k)
                utf8 = (uchar(value[i + k]) & 0xC0) == 0x80;
            if (utf8)
                return QStringLiteral("tiene %1 escrito en UTF-8 (%2 bytes); el archivo va en Windows-1252")
                    .arg(shown(QString::fromUtf8(value.sliced(i, extra + 1))))
                    .arg(extra + 1);
        }
    }
    return {};
}

QString valueFault(const FieldLayout& layout, const QString& value, const QString* anio, const QString* anticipo)
{
    if (layout.table && value.size() > layout.width)
        return QStringLiteral("tiene %1 caracteres y el campo admite %2").arg(value.size()).arg(layout.width);
    switch (layout.kind) {
    case Kind::Type:
    case Kind::Text:
    case Kind::ClientRef:
        return {};
    case Kind::Year:
        if (value.size() != 4 || !store::onlyDigits(value))
            return QStringLiteral("el año debe tener 4 cifras y es %1").arg(shown(value));
        return {};
    case Kind::Month:
        if (value.size() != 2 || !store::onlyDigits(value))
            return QStringLiteral("el anticipo debe tener 2 cifras y es %1").arg(shown(value));
        return {};
    case Kind::RequiredNumber:
        if (value.isEmpty())
            return QStringLiteral("falta el número");
        [[fallthrough]];
    case Kind::Number:
    case Kind::FormNumber:
    case Kind::WholeNumber:
        if (value.isEmpty())
            return {};
        if (!numberForm(value))
            return QStringLiteral(
                       "%1 no es un número escrito como en el archivo (coma decimal, sin separador de "
                       "miles ni ceros de más)")
                .arg(shown(value));
        // A form number or a booklet count with a fraction is no form anybody printed.
        if (layout.kind == Kind::FormNumber || layout.kind == Kind::WholeNumber) {
            const double number = QString(value).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            if (number != std::floor(number))
                return QStringLiteral("%1 no es un número entero").arg(shown(value));
            if (layout.kind == Kind::FormNumber && number < 0)
                return QStringLiteral("%1 es negativo: los números de formulario empiezan en 0").arg(shown(value));
        }
        return {};
    case Kind::Flag:
        if (!value.isEmpty() && value != QLatin1String("S") && value != QLatin1String("N"))
            return QStringLiteral("debe ser S, N o vacío y es %1").arg(shown(value));
        return {};
    case Kind::Date:
        if (!value.isEmpty() && !dateForm(value))
            return QStringLiteral("%1 no es una fecha dd/mm/aaaa").arg(shown(value));
        return {};
    case Kind::AgentCuit:
        if (value.isEmpty())
            return QStringLiteral("falta el C.U.I.T. del agente");
        [[fallthrough]];
    case Kind::ClientCuit:
        if (!TDModulo::ValidarCuit(value))
            return QStringLiteral("%1 no es un C.U.I.T. válido").arg(shown(value));
        return {};
    case Kind::ShortInt:
        if (!value.isEmpty() && !shortInt(value))
            return QStringLiteral("%1 no es un número entero").arg(shown(value));
        return {};
    case Kind::RowYear:
    case Kind::RowMonth: {
        const QString* period = layout.kind == Kind::RowYear ? anio : anticipo;
        if (!value.isEmpty() && period && value != *period)
            return QStringLiteral("debe estar vacío o ser el del período (%1) y es %2").arg(*period, shown(value));
        return {};
    }
    }
    return {};
}

namespace {

// What each byte may be in a value: 0 plainly a character, 1 a character that may begin a
// character written in UTF-8, 2 anything else badBytes is to look at.
struct ByteClasses {
    uchar of[256];
    ByteClasses()
    {
        for (int b = 0; b < 256; ++b)
            of[b] = b < 0x20 || b == 0x7F || store::windows1252Char(uchar(b)) == QChar::ReplacementCharacter ? 2
                    : b >= 0xC2 && b <= 0xF4                                                                 ? 1
                                                                                                             : 0;
    }
};

}  // namespace

bool surelyClean(QByteArrayView value)
{
    static const ByteClasses classes;
    constexpr quint64 ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const qsizetype n = value.size();
    qsizetype i = 0;
    while (i < n) {
        // Eight bytes at a time while they are printable ASCII: none high, below 0x20 or 0x7F.
        if (i + 8 <= n) {
            quint64 x;
            std::memcpy(&x, value.data() + i, 8);
            const quint64 del = x ^ (ones * 0x7F);
            if (((x | ((x - ones * 0x20) & ~x) | ((del - ones) & ~del)) & highs) == 0) {
                i += 8;
                continue;
            }
        }
        // The bytes of that word, or the last few, one by one.
        for (const qsizetype stop = std::min(i + 8, n); i < stop; ++i)
            if (const uchar c = classes.of[uchar(value[i])]) {
                // Not UTF-8 unless a continuation byte follows.
                if (c == 2 || (i + 1 < n && (uchar(value[i + 1]) & 0xC0) == 0x80))
                    return false;
            }
    }
    return true;
}

namespace {

bool digits(QByteArrayView value)
{
    for (const char c : value)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int twoDigits(QByteArrayView value, int at) { return (value[at] - '0') * 10 + value[at + 1] - '0'; }

// The forms the writer gives a number of at most 15 significant digits: read and written
// again they come out the same, since a double keeps 15 digits.
bool plainNumber(QByteArrayView value, bool whole)
{
    const qsizetype comma = value.indexOf(',');
    const QByteArrayView integer = comma < 0 ? value : value.first(comma);
    if (integer.isEmpty() || !digits(integer) || (integer.size() > 1 && integer[0] == '0'))
        return false;
    if (comma < 0)
        return integer.size() <= 15;
    if (whole)
        return false;
    const QByteArrayView fraction = value.sliced(comma + 1);
    if (fraction.isEmpty() || !digits(fraction) || fraction.back() == '0')
        return false;
    if (integer == "0")
        return fraction[0] != '0' && fraction.size() <= 15;
    return integer.size() + fraction.size() <= 15;
}

bool plainDate(QByteArrayView value)
{
    if (value.size() != 10 || value[2] != '/' || value[5] != '/')
        return false;
    const QByteArrayView day = value.first(2), month = value.sliced(3, 2), year = value.sliced(6);
    if (!digits(day) || !digits(month) || !digits(year))
        return false;
    const int d = twoDigits(value, 0), m = twoDigits(value, 3), y = twoDigits(value, 6) * 100 + twoDigits(value, 8);
    if (y < 1 || m < 1 || m > 12 || d < 1)
        return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap);
}

bool plainCuit(QByteArrayView value)
{
    if (value.size() != 11 || !digits(value))
        return false;
    static const int weights[] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    bool zero = true;
    for (int i = 0; i < 10; ++i) {
        sum += (value[i] - '0') * weights[i];
        zero = zero && value[i] == '0';
    }
    int check = 11 - sum % 11;
    if (check >= 10)
        check = 0;
    return !(zero && value[10] == '0') && value[10] - '0' == check;
}

}  // namespace

bool surelySound(const FieldLayout& layout, QByteArrayView value, QByteArrayView anio, QByteArrayView anticipo,
                 bool periodKnown)
{
    if (layout.table && value.size() > layout.width)
        return false;
    switch (layout.kind) {
    case Kind::Type:
    case Kind::Text:
    case Kind::ClientRef:
        return true;
    case Kind::Year:
        return value.size() == 4 && digits(value);
    case Kind::Month:
        return value.size() == 2 && digits(value);
    case Kind::RequiredNumber:
        return plainNumber(value, false);
    case Kind::Number:
        return value.isEmpty() || plainNumber(value, false);
    case Kind::FormNumber:
    case Kind::WholeNumber:
        return value.isEmpty() || plainNumber(value, true);
    case Kind::Flag:
        return value.isEmpty() || value == "S" || value == "N";
    case Kind::Date:
        return value.isEmpty() || plainDate(value);
    case Kind::AgentCuit:
        return plainCuit(value);
    case Kind::ClientCuit:
        return value.isEmpty() || plainCuit(value);
    case Kind::ShortInt:
        return value.isEmpty() || (value.size() <= 4 && digits(value));
    case Kind::RowYear:
        return value.isEmpty() || !periodKnown || value == anio;
    case Kind::RowMonth:
        return value.isEmpty() || !periodKnown || value == anticipo;
    }
    return false;
}

}  // namespace declcheck::records
