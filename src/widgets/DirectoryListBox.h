#pragma once

#include <QComboBox>
#include <QIcon>
#include <QTreeWidget>

namespace store {
class AliasConfig;
}

// The drive list of a destination: C: for the file system, A: for the folder the store
// configuration names for the diskette drive.
class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    QChar drive() const;
    void setDrive(QChar letter);  // no signal when the drive is already shown

signals:
    void driveChanged(QChar letter);
};

// The folder list of a destination: the chain of folders down to the chosen one, and the
// folders inside it. The chosen folder is the current line. On drive A: folders are shown as
// "A:\..." whatever folder stands for the drive; on C: they are the file system's own paths.
class DirectoryListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    void setAliasConfig(const store::AliasConfig* config) { m_config = config; }
    void setDriveComboBox(DriveComboBox* drives);  // the drive list follows the folder and back

    QString directory() const;  // the chosen folder, as shown
    // Shows and chooses a folder given as shown; throws store::StoreError when it is not there,
    // leaving the list as it was.
    void setDirectory(const QString& shown);
    void showDrive(QChar letter);  // the root of a drive

signals:
    void directoryChanged(const QString& shown);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString realPath(const QString& shown) const;
    QString shownPath(QChar drive, const QString& real) const;
    QString driveRoot(QChar drive) const;
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const QString& label, const QString& shown);
    void fillChildren(QTreeWidgetItem* item);
    void fillRoot();

    const store::AliasConfig* m_config = nullptr;
    DriveComboBox* m_drives = nullptr;
    QChar m_drive = QLatin1Char('C');
    QIcon m_folderIcon;        // one for every folder: decoding it is what a folder costs
    bool m_rootFilled = true;  // false while the root's folders wait for the list to be shown
};
