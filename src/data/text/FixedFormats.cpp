#include "FixedFormats.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstring>

namespace store::formats {

namespace {

int put(char* out, const char* text)
{
    const int n = int(std::strlen(text));
    std::memcpy(out, text, size_t(n));
    return n;
}

}  // namespace

int number(double value, char* out)
{
    if (std::isnan(value))
        return put(out, "NAN");
    if (std::isinf(value))
        return put(out, value < 0 ? "-INF" : "INF");
    if (value == 0)
        return put(out, "0");  // negative zero too

    // Round to 15 significant digits first, so that the form follows the digits actually
    // written: 999999999999999.9 becomes 1E15.
    char scientific[32];  // "d.ddddddddddddddde[+-]xxx"
    const char* end =
        std::to_chars(scientific, scientific + sizeof scientific, std::fabs(value), std::chars_format::scientific, 14)
            .ptr;
    char digits[15];
    int count = 0;
    const char* p = scientific;
    for (; p < end && *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
    while (count > 1 && digits[count - 1] == '0')
        --count;

    char* o = out;
    if (value < 0)
        *o++ = '-';
    if (exponent >= 15 || exponent < -5) {
        *o++ = digits[0];
        if (count > 1) {
            *o++ = ',';
            for (int i = 1; i < count; ++i)
                *o++ = digits[i];
        }
        *o++ = 'E';
        o = std::to_chars(o, o + 8, exponent).ptr;
    } else if (exponent >= 0) {
        const int whole = exponent + 1;
        for (int i = 0; i < whole; ++i)
            *o++ = i < count ? digits[i] : '0';
        if (count > whole) {
            *o++ = ',';
            for (int i = whole; i < count; ++i)
                *o++ = digits[i];
        }
    } else {
        *o++ = '0';
        *o++ = ',';
        for (int i = -1; i > exponent; --i)
            *o++ = '0';
        for (int i = 0; i < count; ++i)
            *o++ = digits[i];
    }
    return int(o - out);
}

QString number(double value)
{
    char text[NumberSize];
    return QString::fromLatin1(text, number(value, text));
}

QString money(double value)
{
    QString text = QLocale::c().toString(std::abs(value), 'f', 2);
    const int dot = int(text.indexOf(QLatin1Char('.')));
    QString whole = text.left(dot);
    for (int i = int(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char('.'));
    return (value < 0 ? QStringLiteral("-") : QString()) + whole + QLatin1Char(',') + text.mid(dot + 1);
}

QString twoDecimals(double value)
{
    return QLocale::c().toString(value, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString date(const QDate& value) { return value.isValid() ? value.toString(QStringLiteral("dd/MM/yyyy")) : QString(); }

}  // namespace store::formats
