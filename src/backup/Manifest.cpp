#include "Manifest.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

namespace backup {

namespace {

const QString Heading = QStringLiteral("Tarvenio: copia de seguridad");
const QString Version = QStringLiteral("version");
const QString Taken = QStringLiteral("fecha");
const QString Agent = QStringLiteral("agente");
const QString Cuit = QStringLiteral("cuit");
const QString RowsOf = QStringLiteral("filas ");
const QString File = QStringLiteral("archivo");
const QString Damaged = QStringLiteral("dañada");

// One value to a line: a line end inside a value would start a line of its own.
QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

bool plainNumber(const QString& text, qint64* value)
{
    static const QRegularExpression digits(QStringLiteral("^(0|[1-9][0-9]{0,17})$"));
    if (!digits.match(text).hasMatch())
        return false;
    *value = text.toLongLong();
    return true;
}

}  // namespace

bool plainVersion(const QString& version)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{1,4}(\\.[0-9]{1,4}){0,3}$"));
    return form.match(version).hasMatch();
}

QByteArray manifestText(const Manifest& m)
{
    QStringList lines{Heading, Version + QStringLiteral(": ") + m.version,
                      Taken + QStringLiteral(": ") + m.taken.toString(Qt::ISODate),
                      Agent + QStringLiteral(": ") + oneLine(m.agent), Cuit + QStringLiteral(": ") + oneLine(m.cuit)};
    for (const auto& [table, count] : m.rows)
        lines << RowsOf + table + QStringLiteral(": ") + QString::number(count);
    for (const QString& table : m.damaged)
        lines << Damaged + QStringLiteral(": ") + table;
    // The name last: it is the one value that may hold anything but a line end.
    for (const ManifestFile& f : m.files)
        lines << File + QStringLiteral(": ") + QString::fromLatin1(f.digest) + QLatin1Char(' ') +
                     QString::number(f.size) + QLatin1Char(' ') + f.name;
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QString parseManifest(const QByteArray& bytes, Manifest* m)
{
    *m = Manifest();
    if (bytes.size() > MaxManifestBytes)
        return QStringLiteral("es más grande que el de cualquier copia del programa");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError() || text.contains(QChar(0)) || text.contains(QLatin1Char('\r')))
        return QStringLiteral("no es un texto del programa");
    if (!text.endsWith(QLatin1Char('\n')))
        return QStringLiteral("está cortado");
    const QStringList lines = text.chopped(1).split(QLatin1Char('\n'));
    if (lines.size() > MaxManifestLines)
        return QStringLiteral("tiene más de %1 líneas").arg(MaxManifestLines);
    if (lines.first() != Heading)
        return QStringLiteral("no empieza como el de una copia del programa");

    QSet<QString> keys, names;
    const auto fault = [](const QString& line) {
        return QStringLiteral("tiene una línea que no se entiende: «%1»").arg(line.left(80));
    };
    for (const QString& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon <= 0)
            return fault(line);
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 2);
        // Each value once: a second would make the first a lie.
        if (key != File && key != Damaged) {
            if (keys.contains(key))
                return QStringLiteral("dice dos veces «%1»").arg(key);
            keys.insert(key);
        }
        if (key == Version) {
            m->version = value;
            if (!plainVersion(value))
                return QStringLiteral("tiene una versión del programa que no es tal: «%1»").arg(value.left(40));
        } else if (key == Taken) {
            m->taken = QDateTime::fromString(value, Qt::ISODate);
            if (!m->taken.isValid())
                return fault(line);
        } else if (key == Agent) {
            m->agent = value;
        } else if (key == Cuit) {
            m->cuit = value;
        } else if (key.startsWith(RowsOf)) {
            qint64 count = 0;
            if (!plainNumber(value, &count))
                return fault(line);
            m->rows.append({key.mid(RowsOf.size()), count});
        } else if (key == Damaged) {
            m->damaged << value;
        } else if (key == File) {
            // "<SHA-256> <size> <name>"
            const QStringList parts = value.split(QLatin1Char(' '));
            static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
            ManifestFile file;
            if (parts.size() < 3 || !hex.match(parts[0]).hasMatch() || !plainNumber(parts[1], &file.size))
                return fault(line);
            file.digest = parts[0].toLatin1();
            file.name = value.mid(parts[0].size() + parts[1].size() + 2);
            if (file.name.isEmpty())
                return fault(line);
            if (names.contains(file.name))
                return QStringLiteral("nombra dos veces el archivo %1").arg(file.name);
            names.insert(file.name);
            m->files << file;
        } else {
            return fault(line);
        }
    }
    if (m->version.isEmpty())
        return QStringLiteral("no dice con qué versión del programa se hizo");
    if (!m->taken.isValid())
        return QStringLiteral("no dice cuándo se hizo");
    return {};
}

}  // namespace backup
