#pragma once

#include <QString>

namespace fixture {

// A C.U.I.T. the data module's check accepts: the prefix, n in eight digits, its check digit.
inline QString cuitFor(int n, const char* prefix = "20")
{
    const QString body = QString::fromLatin1(prefix) + QStringLiteral("%1").arg(n, 8, 10, QLatin1Char('0'));
    static const int weights[10] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < 10; ++i)
        sum += (body[i].unicode() - '0') * weights[i];
    const int check = 11 - sum % 11;
    return body + QString::number(check >= 10 ? 0 : check);
}

}  // namespace fixture
