#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <utility>

// The text that says what a backup holds, kept in it as manifiesto.txt: which program made it
// and when, whose tables they are, the rows of each table and the size and SHA-256 of every
// file. It is read before anything else of a backup, so it is small and read strictly.
namespace backup {

inline const QString ManifestName = QStringLiteral("manifiesto.txt");

// A manifest larger than these is no manifest of ours: read whole, it must not cost memory.
inline constexpr qint64 MaxManifestBytes = 1 << 20;
inline constexpr int MaxManifestLines = 10000;

struct ManifestFile {
    QString name;       // the entry's name in the zip
    qint64 size = 0;    // in bytes
    QByteArray digest;  // SHA-256 in hex, lower case
    bool operator==(const ManifestFile&) const = default;
};

struct Manifest {
    QString version;  // of the program that made it
    QDateTime taken;
    QString agent, cuit;
    QList<std::pair<QString, qint64>> rows;  // table name, rows
    QList<ManifestFile> files;
    QStringList damaged;  // tables copied as found, not checked
};

QByteArray manifestText(const Manifest& manifest);

// Empty when the text is a manifest of ours, which then fills manifest; otherwise what is wrong
// with it, in Spanish. version is filled as soon as it is read, so that the backup of a newer
// program can be told as such even when the rest of its manifest is not understood.
QString parseManifest(const QByteArray& text, Manifest* manifest);

// A version as this program writes it: numbers parted by dots ("1.3", "1.10.2").
bool plainVersion(const QString& version);

}  // namespace backup
