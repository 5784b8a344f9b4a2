#pragma once

// A folder of tables with a period filed, and what the backup tests compare: the rows of every
// table, the bytes of its files, the entries of a backup. Shared by the tests of making, restoring
// and refusing backups.

#include "../maintenance/TableFiles.h"
#include "OpenStore.h"
#include "SamplePeriod.h"
#include "ScriptedPrompt.h"
#include "backup/Manifest.h"
#include "backup/ZipFile.h"
#include "data/Schema.h"
#include "declaration/PeriodFiling.h"

#include <QDir>
#include <QHash>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace fixture {

using TableRows = QMap<QString, tablefiles::Rows>;
using Files = QMap<QString, QByteArray>;

inline TableRows rowsOf(const QString& folder)
{
    TableRows rows;
    for (const store::TableDef& def : schema::tables())
        rows.insert(def.fileName, tablefiles::tableRows(QDir(folder).filePath(def.fileName), def.tableName));
    return rows;
}

inline Files filesIn(const QString& folder)
{
    Files files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, tablefiles::bytes(QDir(folder).filePath(name)));
    return files;
}

inline Files tableBytes(const QString& folder)
{
    Files files;
    for (const store::TableDef& def : schema::tables())
        files.insert(def.fileName, tablefiles::bytes(QDir(folder).filePath(def.fileName)));
    return files;
}

// The agent, two clients, the period 03/2024 filed with its declaration in ddjj, and a file of
// the user's own beside it.
inline void fillAndFile(const QString& folder)
{
    OpenStore s(folder);
    fixture::fillOpenPeriod(s.modulo);
    ScriptedPrompt prompt;
    s.modulo.TAnticipos->insert();
    s.modulo.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
    s.modulo.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
    QCOMPARE(filing::fileOpenPeriod(s.modulo, prompt, QDir(folder).filePath(QStringLiteral("ddjj"))).result,
             filing::Result::Filed);
    tablefiles::write(QDir(folder).filePath(QStringLiteral("ddjj/nota de envío.txt")), "presentada en mano\n");
}

// The entries of a backup by name, and its manifest.
struct Unpacked {
    Files entries;
    backup::Manifest manifest;
};

inline Unpacked unpack(const QString& zipFile)
{
    QTemporaryDir dir;
    QHash<QString, QString> placed;
    const QList<backup::zip::Listed> listed = backup::zip::list(zipFile, 1000);
    backup::zip::extract(
        zipFile, listed,
        [&](const QString& name) {
            const QString path = dir.filePath(QString::number(placed.size()));
            placed.insert(name, path);
            return path;
        },
        [](const QString&, const QByteArray&) {});
    Unpacked u;
    for (auto it = placed.cbegin(); it != placed.cend(); ++it)
        u.entries.insert(it.key(), tablefiles::bytes(it.value()));
    const QString fault = backup::parseManifest(u.entries.take(backup::ManifestName), &u.manifest);
    if (!fault.isEmpty())
        qFatal("the program's own backup has no manifest: %s", qPrintable(fault));
    return u;
}

// The test's folder: the tables in tablas, backups made by hand in copias.
class BackupFolder {
protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString tables() const { return m_dir->filePath(QStringLiteral("tablas")); }
    QString copies() const { return m_dir->filePath(QStringLiteral("copias")); }
    QString in(const QString& relative) const { return QDir(tables()).filePath(relative); }
    QStringList zipsIn(const QString& folder) const
    {
        return QDir(folder).entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name);
    }
};

}  // namespace fixture
