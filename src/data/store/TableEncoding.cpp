#include "TableEncoding.h"

#include "StoreError.h"
#include "data/files/FileOps.h"

#include <QFile>

namespace store {

namespace {

// Where the header keeps the encoding: a big-endian number, 1 for UTF-8, 2 and 3 for UTF-16.
constexpr qint64 HeaderSize = 100;
constexpr int EncodingAt = 56;
constexpr quint32 Utf8 = 1;

}  // namespace

QString foreignTextEncoding(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw files::readFailed(file, path);
    const QByteArray header = file.read(HeaderSize);
    if (header.size() < HeaderSize || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return {};
    const auto byte = [&](int i) { return quint32(quint8(header[EncodingAt + i])); };
    const quint32 encoding = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    // 0: no text was ever written, and SQLite then takes the file as UTF-8.
    if (encoding == Utf8 || encoding == 0)
        return {};
    return encoding == 2   ? QStringLiteral("UTF-16LE")
           : encoding == 3 ? QStringLiteral("UTF-16BE")
                           : QStringLiteral("una codificación desconocida (%1)").arg(encoding);
}

void checkTableEncoding(const QString& path)
{
    const QString name = foreignTextEncoding(path);
    if (name.isEmpty())
        return;
    throw StoreError(ForeignFile, QStringLiteral("La tabla %1 guarda sus textos en %2, no en UTF-8 como las tablas de "
                                                 "este programa: no se la puede leer.")
                                      .arg(files::native(path), name));
}

}  // namespace store
