#include "Text1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace store {

bool fitsWindows1252(const QString& text)
{
    QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError();
}

QByteArray toWindows1252(const QString& text)
{
    QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    return bytes;
}

QString fromWindows1252(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

}  // namespace store
