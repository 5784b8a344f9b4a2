#include "NumberText.h"

#include <QLocale>

namespace store {

bool onlyDigits(QStringView s)
{
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))  // ASCII only: no other script's digits
            return false;
    return true;
}

namespace {

// "1234" or groups of three after the first one to three digits: "1.234.567".
bool wholePart(QStringView s)
{
    if (!s.contains(QLatin1Char('.')))
        return onlyDigits(s);
    const QList<QStringView> groups = s.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QStringView g = groups[i];
        const bool sized = i == 0 ? g.size() >= 1 && g.size() <= 3 : g.size() == 3;
        if (!sized || !onlyDigits(g))
            return false;
    }
    return true;
}

}  // namespace

NumberReading readNumber(const QString& typed, const NumberForm& form, const QString& fieldName)
{
    NumberReading reading;
    QStringView s = QStringView(typed).trimmed();
    if (s.isEmpty())
        return reading;
    const auto refuse = [&](const QString& text) {
        reading.refusal = text;
        return reading;
    };
    // A whole-number field is not told about a decimal comma it may not use.
    const QString notANumber =
        (form.decimals == 0
             ? QStringLiteral("'%1' no es un número válido para %2: se escribe solo con cifras, sin decimales (1234).")
             : QStringLiteral("'%1' no es un número válido para %2: se escribe con coma decimal y, si se quiere, "
                              "con punto entre los miles (1.234,56)."))
            .arg(typed.trimmed(), fieldName);

    const bool minus = s.startsWith(QLatin1Char('-'));
    if (minus)
        s = s.mid(1);
    const qsizetype comma = s.indexOf(QLatin1Char(','));
    const QStringView whole = comma < 0 ? s : s.left(comma);
    const QStringView fraction = comma < 0 ? QStringView() : s.mid(comma + 1);
    if ((whole.isEmpty() && fraction.isEmpty()) || !wholePart(whole) || !onlyDigits(fraction))
        return refuse(notANumber);
    if (minus && !form.negative)
        return refuse(QStringLiteral("%1 no admite números negativos ('%2').").arg(fieldName, typed.trimmed()));
    if (form.decimals >= 0 && fraction.size() > form.decimals) {
        if (form.decimals == 0)
            return refuse(QStringLiteral("%1 admite solo números enteros, sin decimales ('%2').")
                              .arg(fieldName, typed.trimmed()));
        return refuse(QStringLiteral("%1 admite hasta %2 decimales ('%3' tiene %4).")
                          .arg(fieldName)
                          .arg(form.decimals)
                          .arg(typed.trimmed())
                          .arg(fraction.size()));
    }
    QString digits = whole.toString().remove(QLatin1Char('.'));
    const qsizetype wholeDigits = digits.size();
    digits += fraction;
    qsizetype lead = 0;
    while (lead < digits.size() && digits[lead] == QLatin1Char('0'))
        ++lead;
    if (digits.size() - lead > MaxSignificantDigits)
        return refuse(QStringLiteral("'%1' tiene más de %2 cifras: %3 no puede guardarlo exacto.")
                          .arg(typed.trimmed())
                          .arg(MaxSignificantDigits)
                          .arg(fieldName));
    const QString plain =
        QLatin1Char('0') + digits.left(wholeDigits) + QLatin1Char('.') + digits.mid(wholeDigits) + QLatin1Char('0');
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    if (!ok)
        return refuse(notANumber);
    reading.value = minus && value != 0 ? -value : value;  // no "-0" stored
    return reading;
}

}  // namespace store
