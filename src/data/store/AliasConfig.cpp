#include "AliasConfig.h"

#include "StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace store {

namespace {
const QString AliasGroup = QStringLiteral("Aliases");
const QString DriverGroup = QStringLiteral("AliasDrivers");
const QString DriveGroup = QStringLiteral("Drives");
const QString BackupFolderKey = QStringLiteral("Copias/Carpeta");

QString findKey(QSettings& settings, const QString& group, const QString& name)
{
    settings.beginGroup(group);
    const QStringList keys = settings.childKeys();
    settings.endGroup();
    for (const QString& key : keys)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return key;
    return {};
}

StoreError unreadable(const QString& path)
{
    return StoreError(AliasError, QStringLiteral("No se puede leer la configuración de la base de datos: %1")
                                      .arg(QDir::toNativeSeparators(path)));
}
}  // namespace

AliasConfig::AliasConfig(QString filePath) : m_filePath(std::move(filePath)) {}

QString AliasConfig::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tarvenio/store.conf");
}

void AliasConfig::checkReadable() const
{
    const QFileInfo info(m_filePath);
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        throw unreadable(m_filePath);
    // A line the toolkit cannot read is passed over, not a reason to refuse the file: it tells
    // of such a line only at the first reading of a file in a process, so refusing would answer
    // one question and not the next about the same file.
    QSettings settings(m_filePath, QSettings::IniFormat);
    if (settings.status() == QSettings::AccessError)
        throw unreadable(m_filePath);
}

bool AliasConfig::exists(const QString& alias) const
{
    if (!m_pendingAlias.isEmpty() && m_pendingAlias.compare(alias, Qt::CaseInsensitive) == 0)
        return true;
    checkReadable();
    QSettings settings(m_filePath, QSettings::IniFormat);
    return !findKey(settings, AliasGroup, alias).isEmpty();
}

QString AliasConfig::path(const QString& alias) const
{
    QString folder;
    if (!m_pendingAlias.isEmpty() && m_pendingAlias.compare(alias, Qt::CaseInsensitive) == 0) {
        folder = m_pendingFolder;
    } else {
        checkReadable();
        QSettings settings(m_filePath, QSettings::IniFormat);
        const QString key = findKey(settings, AliasGroup, alias);
        if (key.isEmpty())
            throw StoreError(AliasError, QStringLiteral("El alias %1 no existe.").arg(alias));
        folder = settings.value(AliasGroup + QLatin1Char('/') + key).toString();
    }
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

void AliasConfig::add(const QString& alias, const QString& folder, const QString& driver)
{
    m_pendingAlias = alias;
    m_pendingFolder = folder;
    m_pendingDriver = driver;
}

void AliasConfig::save()
{
    if (m_pendingAlias.isEmpty())
        return;
    write([this](QSettings& settings) {
        // Keys are case-sensitive in the file: the same alias in another case would stay beside it.
        for (const QString& group : {AliasGroup, DriverGroup}) {
            settings.beginGroup(group);
            for (const QString& key : settings.childKeys())
                if (key.compare(m_pendingAlias, Qt::CaseInsensitive) == 0)
                    settings.remove(key);
            settings.endGroup();
        }
        settings.setValue(AliasGroup + QLatin1Char('/') + m_pendingAlias, m_pendingFolder);
        settings.setValue(DriverGroup + QLatin1Char('/') + m_pendingAlias, m_pendingDriver);
    });
    m_pendingAlias.clear();
    m_pendingFolder.clear();
    m_pendingDriver.clear();
}

QString AliasConfig::driveFolder(QChar letter) const
{
    checkReadable();
    QSettings settings(m_filePath, QSettings::IniFormat);
    const QString key = findKey(settings, DriveGroup, QString(letter));
    return key.isEmpty() ? QString() : settings.value(DriveGroup + QLatin1Char('/') + key).toString();
}

bool AliasConfig::driveConfigured(QChar letter) const { return !driveFolder(letter).trimmed().isEmpty(); }

QString AliasConfig::driveNotConfiguredText(QChar letter) const
{
    const QString drive = QString(letter.toUpper());
    return QStringLiteral(
               "La unidad %1: no está configurada en este equipo. Para usarla, indique la carpeta donde "
               "se monta el disquete o la memoria en el archivo de configuración %2, en la sección "
               "[Drives], con la línea %1=carpeta (por ejemplo %1=/media/disquete); o elija otra "
               "carpeta de destino.")
        .arg(drive, QDir::toNativeSeparators(m_filePath));
}

QString AliasConfig::backupFolder() const
{
    checkReadable();
    return QSettings(m_filePath, QSettings::IniFormat).value(BackupFolderKey).toString();
}

void AliasConfig::setBackupFolder(const QString& folder)
{
    write([&folder](QSettings& settings) { settings.setValue(BackupFolderKey, folder); });
}

void AliasConfig::write(const std::function<void(QSettings&)>& change)
{
    checkReadable();
    const QFileInfo info(m_filePath);
    if (!QDir().mkpath(info.absolutePath()))
        throw StoreError(AliasError, QStringLiteral("No se puede crear la carpeta de configuración: %1")
                                         .arg(QDir::toNativeSeparators(info.absolutePath())));
    QSettings settings(m_filePath, QSettings::IniFormat);
    change(settings);
    settings.sync();
    // Only a failed write fails: a line the toolkit could not read (a file saved with a
    // byte-order mark reads so, though every key of it is read) is passed over, and the file is
    // written all the same.
    if (settings.status() == QSettings::AccessError)
        throw StoreError(AliasError, QStringLiteral("No se puede guardar la configuración de la base de datos: %1")
                                         .arg(QDir::toNativeSeparators(m_filePath)));
}

}  // namespace store
