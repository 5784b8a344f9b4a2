#include "Database.h"
#include "data/files/FileOps.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

// The record of files awaiting their final name lives in a file of its own beside the tables,
// attached to the same connection so that a record commits with the change it completes.
namespace store {

namespace {

const QString Schema = QStringLiteral("pendientes");
const QString Table = QStringLiteral("\"pendientes\".\"pendientes\"");

}  // namespace

const TableDef& Database::pendingFilesTable()
{
    static const TableDef def{
        QStringLiteral("Pendientes.db"),
        Schema,
        {{QStringLiteral("Temporal"), FieldType::Text, 0}, {QStringLiteral("Destino"), FieldType::Text, 0}},
        {}};
    return def;
}

// A record lives no longer than the rename it waits for, so a file that is missing or not ours
// is simply started anew; a damaged one is kept in back/ all the same.
void Database::attachPendingFiles()
{
    const TableDef& def = pendingFilesTable();
    const QString path = QDir(m_folder).filePath(def.fileName);
    // Only a folder whose tables all opened can file anything: no other gets a file of ours.
    if (!QFileInfo::exists(path) && !m_failed.isEmpty())
        return;
    QString error;
    try {
        try {
            if (!QFileInfo::exists(path))
                createTableFile(path, def);
            checkTableFile(path, def);
        } catch (const StoreError&) {
            const QString aside = QDir(m_folder).filePath(
                QStringLiteral("back/Pendientes_%1.db")
                    .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
            if (!QDir().mkpath(QFileInfo(aside).absolutePath()) || !QFile::rename(path, aside))
                throw;
            createTableFile(path, def);
            checkTableFile(path, def);
        }
        error = attach(path, Schema);
    } catch (const StoreError& e) {
        error = e.text();
    }
    if (error.isEmpty())
        m_schemaOf.insert(Schema, Schema);
    else
        m_failed.insert(Schema, {FileError, QStringLiteral("No se puede usar el registro de archivos pendientes %1: %2")
                                                .arg(files::native(path), error)});
}

void Database::recordPendingIntent(const QString& temporary)
{
    requireTable(Schema);
    Transaction intent(*this);
    Statement insert(*this, QStringLiteral("INSERT INTO %1 (Temporal) VALUES (?)").arg(Table));
    insert.bind(1, temporary);
    insert.step();
    intent.commit();
}

void Database::recordPendingFile(const PendingFile& file)
{
    requireTable(Schema);
    Statement update(*this,
                     QStringLiteral("UPDATE %1 SET Destino = ? WHERE Temporal = ? AND Destino IS NULL").arg(Table));
    update.bind(1, file.target);
    update.bind(2, file.temporary);
    update.step();
    // The intent is recorded before the change; without it a crash after the commit would
    // leave the file unplaced, so the change is refused rather than committed.
    if (changes() == 0)
        throw StoreError(
            FileError,
            QStringLiteral("No se registró de antemano el archivo pendiente %1.").arg(files::native(file.temporary)));
}

void Database::dropPendingFile(const QString& temporary) { finishPendingFile({temporary, QString()}); }

void Database::forgetPendingFile(const PendingFile& file)
{
    requireTable(Schema);
    Statement remove(*this, QStringLiteral("DELETE FROM %1 WHERE Temporal = ? AND ifnull(Destino, '') = ?").arg(Table));
    remove.bind(1, file.temporary);
    remove.bind(2, file.target);
    remove.step();
}

QList<PendingFile> Database::pendingFiles()
{
    QList<PendingFile> found;
    if (!hasTable(Schema))
        return found;
    Statement select(*this, QStringLiteral("SELECT Temporal, Destino FROM %1 ORDER BY rowid").arg(Table));
    while (select.step())
        found << PendingFile{select.column(0).toString(), select.column(1).toString()};
    return found;
}

void Database::finishPendingFiles()
{
    for (const PendingFile& file : pendingFiles())
        finishPendingFile(file);
}

void Database::finishPendingFile(const PendingFile& file)
{
    if (file.target.isEmpty()) {
        // Its change never committed: the file is junk, removed before its record goes.
        if (QFileInfo::exists(file.temporary) && !QFile::remove(file.temporary))
            throw StoreError(
                FileError,
                QStringLiteral("No se puede borrar el archivo incompleto %1.").arg(files::native(file.temporary)));
    } else if (QFileInfo::exists(file.temporary)) {
        files::replaceFile(file.temporary, file.target,
                           QStringLiteral("No se puede poner en su lugar el archivo %1: %2"));
    }
    Transaction forget(*this);
    forgetPendingFile(file);
    forget.commit();
}

}  // namespace store
