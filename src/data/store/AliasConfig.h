#pragma once

#include <QString>
#include <functional>

class QSettings;

namespace store {

// The store's configuration: aliases (name -> folder of table files) and, for destinations,
// drive letters -> folders. An INI file, by default $XDG_CONFIG_HOME/tarvenio/store.conf.
// The driver name the alias configuration gives our table files.
inline const QString TableDriver = QStringLiteral("TABLAS");

class AliasConfig {
public:
    explicit AliasConfig(QString filePath = defaultPath());

    static QString defaultPath();
    const QString& filePath() const { return m_filePath; }

    // Alias names compare without regard to case. Each throws StoreError when the file cannot be read.
    bool exists(const QString& alias) const;
    QString path(const QString& alias) const;  // the folder, without a trailing separator
    void add(const QString& alias, const QString& folder, const QString& driver);
    void save();  // throws StoreError when the file cannot be written

    QString driveFolder(QChar letter) const;  // empty when the drive is not configured
    // Whether a folder is named for the drive (a named folder may still be missing or full).
    bool driveConfigured(QChar letter) const;
    // What to tell the clerk about a drive that is not configured: that it is not, and how to
    // name its folder in this file (section Drives, the letter as key).
    QString driveNotConfiguredText(QChar letter) const;

    // The folder the last backup of the tables went to (section Copias), offered for the next;
    // empty before the first. Saving throws StoreError when the file cannot be written.
    QString backupFolder() const;
    void setBackupFolder(const QString& folder);

private:
    void checkReadable() const;
    // Makes the folder, applies the change and writes the file; AliasError when it cannot.
    void write(const std::function<void(QSettings&)>& change);
    QString m_filePath;
    // Additions wait here until save(), like the store's own configuration did.
    QString m_pendingAlias, m_pendingFolder, m_pendingDriver;
};

}  // namespace store
