#include "Manifest.h"

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

}  // namespace

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
    for (const auto& [name, digest] : m.digests)
        lines << File + QStringLiteral(": ") + QString::fromLatin1(digest) + QLatin1Char(' ') + name;
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

bool parseManifest(const QByteArray& text, Manifest* m)
{
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.first() != Heading)
        return false;
    *m = Manifest();
    for (const QString& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon < 0)
            return false;
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 2);
        if (key == Version) {
            m->version = value;
        } else if (key == Taken) {
            m->taken = QDateTime::fromString(value, Qt::ISODate);
        } else if (key == Agent) {
            m->agent = value;
        } else if (key == Cuit) {
            m->cuit = value;
        } else if (key.startsWith(RowsOf)) {
            bool ok = false;
            const qint64 count = value.toLongLong(&ok);
            if (!ok || count < 0)
                return false;
            m->rows.append({key.mid(RowsOf.size()), count});
        } else if (key == Damaged) {
            m->damaged << value;
        } else if (key == File) {
            const qsizetype space = value.indexOf(QLatin1Char(' '));
            if (space != 64)
                return false;
            m->digests.append({value.mid(space + 1), value.left(space).toLatin1()});
        }
        // Other keys are passed over: a later program may tell more.
    }
    return !m->version.isEmpty() && m->taken.isValid();
}

}  // namespace backup
