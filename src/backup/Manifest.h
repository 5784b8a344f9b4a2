#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <utility>

// The text that says what a backup holds, kept in it as manifiesto.txt: which program made it
// and when, whose tables they are, the rows of each table and the SHA-256 of every file.
namespace backup {

inline const QString ManifestName = QStringLiteral("manifiesto.txt");

struct Manifest {
    QString version;  // of the program that made it
    QDateTime taken;
    QString agent, cuit;
    QList<std::pair<QString, qint64>> rows;         // table name, rows
    QList<std::pair<QString, QByteArray>> digests;  // entry name, SHA-256 in hex
    QStringList damaged;                            // tables copied as found, not checked
};

QByteArray manifestText(const Manifest& manifest);
// False when the text is not a manifest of ours.
bool parseManifest(const QByteArray& text, Manifest* manifest);

}  // namespace backup
