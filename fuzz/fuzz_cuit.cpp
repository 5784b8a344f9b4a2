// The C.U.I.T. check (TDModulo::ValidarCuit) and the declaration's control code and verification
// line (CodigoControl, Encriptar), each against a plain rendering of its algorithm. Input: UTF-8
// text; "year|anticipo|cuit" when it holds two bars, else 4 characters of year, 2 of anticipo
// and the rest. The whole text and its C.U.I.T. part both go through the check.
#include "FixedLines.h"
#include "FuzzSupport.h"
#include "data/UModulo.h"
#include "data/store/StoreError.h"
#include "declaration/DeclarationFile.h"

#include <optional>

namespace {

// Year, anticipo and C.U.I.T. joined, the first 10 characters in five pieces of two: a piece
// above "80" becomes its number less 19, one below "33" its number plus 48, any other stays.
std::optional<QString> controlCodeByHand(const QString& anio, const QString& anticipo, const QString& cuit)
{
    const QString joined = (anio + anticipo + cuit).left(10);
    QString code;
    for (int k = 0; k < 5; ++k) {
        const QString piece = joined.mid(2 * k, 2);
        if (piece > QLatin1String("80") || piece < QLatin1String("33")) {
            const std::optional<qint64> n = fuzz::referenceNumber(piece);
            if (!n)
                return std::nullopt;
            code += QString::number(piece > QLatin1String("80") ? *n - 19 : *n + 48);
        } else {
            code += piece;
        }
    }
    return code;
}

// One byte per piece of two of the code: its number plus 7, 3, 9, 1 and 5 by position.
std::optional<QByteArray> verificationByHand(const QString& code)
{
    const int offsets[5] = {7, 3, 9, 1, 5};
    QByteArray line;
    for (int k = 0; k < 5; ++k) {
        const std::optional<qint64> n = fuzz::referenceNumber(code.mid(2 * k, 2));
        if (!n)
            return std::nullopt;
        line += char((*n + offsets[k]) & 0xFF);
    }
    return line;
}

std::optional<QString> controlCode(const QString& anio, const QString& anticipo, const QString& cuit)
{
    try {
        return CodigoControl(anio, anticipo, cuit);
    } catch (const store::StoreError& e) {
        fuzz::require(e.code() == store::ConversionError, "control code error", e.text());
        return std::nullopt;
    }
}

std::optional<QByteArray> verification(const QString& code)
{
    try {
        return Encriptar(code);
    } catch (const store::StoreError& e) {
        fuzz::require(e.code() == store::ConversionError, "verification line error", e.text());
        return std::nullopt;
    }
}

bool digitsOnly(const QString& text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    const QStringList parts = text.split(QLatin1Char('|'));
    const bool split = parts.size() == 3;
    const QString anio = split ? parts[0] : text.left(4);
    const QString anticipo = split ? parts[1] : text.mid(4, 2);
    const QString cuit = split ? parts[2] : text.mid(6);

    for (const QString& t : {text, cuit})
        fuzz::require(TDModulo::ValidarCuit(t) == fuzz::referenceCuit(t), "C.U.I.T. check", t);

    const std::optional<QString> code = controlCode(anio, anticipo, cuit);
    fuzz::require(code == controlCodeByHand(anio, anticipo, cuit), "control code", text);
    const QString joined = (anio + anticipo + cuit).left(10);
    if (joined.size() == 10 && digitsOnly(joined))
        fuzz::require(code && code->size() == 10 && digitsOnly(*code), "control code of digits", text);

    for (const QString& c : {code.value_or(QString()), text}) {
        const std::optional<QByteArray> line = verification(c);
        fuzz::require(line == verificationByHand(c), "verification line", c);
        if (line && c.size() == 10 && digitsOnly(c) && code && c == *code)
            for (char b : *line)
                fuzz::require(b >= 33 + 1 && b <= 80 + 9, "verification line not printable", c);
    }
    return 0;
}
