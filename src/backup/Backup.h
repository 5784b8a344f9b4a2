#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

class Prompt;

// Backups of the tables: one zip with a consistent copy of the six table files, the files of the
// ddjj folder and a manifest; checked whole before a restore, which puts everything in place
// together or nothing. Refusals and failures throw StoreError with a Spanish text: BackupRefused
// for a backup that is not whole, not ours or newer than the program.
namespace backup {

QString programVersion();

// Free bytes of a folder's file system, or -1 when it cannot be read; a restore needs room for
// what it unpacks. Tests put their own reader in place; an empty one restores the system's.
using FreeSpaceReader = std::function<qint64(const QString& folder)>;
FreeSpaceReader setFreeSpaceReader(FreeSpaceReader reader);

// What a backup holds, as the user is told before a restore.
struct Contents {
    QString file;
    QString version;
    QDateTime taken;
    QString agent, cuit;
    QList<std::pair<QString, qint64>> rows;  // file name of each table, rows, in the tables' order
    QString lastPeriod;                      // "03/2024", or empty when no period was filed
    QStringList declarations;                // the files of ddjj it holds, "archivo/<name>" for its archivo
    QString summary() const;                 // lines for the user
};

// Where backups go unless the user says otherwise, and where a restore keeps the tables it
// replaces: back beside the tables.
QString defaultFolder(const QString& tablesFolder);

// The name a backup of the agent's tables takes: tarvenio-<C.U.I.T.>-<yyyyMMdd-HHmmss>.zip.
QString fileName(const QString& cuit, const QDateTime& taken);

// Writes a backup of the tables of tablesFolder. target: a zip name (ending in .zip) or a folder
// where the backup takes its own name. A missing folder that takes the backup is made only when
// its parent exists; a name that is taken is never overwritten: the next free one (name-2.zip...)
// is used. Answers the file written. A table that is missing or fails the store's checks is refused: a backup must
// be one that can be restored. Backups lying in ddjj are not taken into it.
QString makeBackup(const QString& tablesFolder, const QString& target);

// The work a safety copy is made before.
enum class Work { Filing, Reissue, Amendment, Import, Repair, Restore };

// Safety copies are kept in back/auto beside the tables, the newest of them only.
inline constexpr int KeptSafetyCopies = 20;
QString safetyFolder(const QString& tablesFolder);

// A copy of the tables as they are (the tables alone: the declarations of ddjj stay where they
// are, and a restore of the copy leaves them), made before a piece of work that changes them, into
// back/auto as "<yyyyMMdd-HHmmss-zzz>-<work>.zip"; the oldest copies past KeptSafetyCopies are
// removed. A damaged table is kept as found (the copy is then for the record, not to restore).
// Answers the copy; throws StoreError, saying that nothing changed, when it cannot be made: the
// work must not begin then.
QString makeSafetyCopy(const QString& tablesFolder, Work work);

// A backup found beside the tables: those made by hand in back/ and the safety copies in
// back/auto, newest first. reason: the work a safety copy preceded, as the clerk reads it
// ("antes de una presentación"); empty for one made by hand.
struct Found {
    QString file;
    QDateTime taken;
    QString reason;
    bool restorable = true;  // false: a safety copy that kept a damaged table as found, or unreadable
};
QList<Found> backupsBeside(const QString& tablesFolder);

// Opens a backup and checks everything in it as a restore would, without touching any table.
Contents readBackup(const QString& zipFile);

struct RestoreOutcome {
    bool restored = false;  // false: the user answered No and nothing changed
    QString previous;       // the safety copy of the tables as they were; empty when there were none
    Contents contents;
};

// Checks the backup, shows what it holds and asks; on Yes saves the tables as they are into a
// safety copy (makeSafetyCopy), then puts the six table files and the ddjj files of the backup in place, all or
// none. The tables must not be open meanwhile. Files of ddjj the backup does not hold stay.
RestoreOutcome restoreBackup(const QString& tablesFolder, const QString& zipFile, Prompt& prompt);

}  // namespace backup
