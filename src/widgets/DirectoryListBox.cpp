#include "DirectoryListBox.h"

#include "data/store/AliasConfig.h"
#include "data/store/StoreError.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QStyle>

namespace {

const int ShownRole = Qt::UserRole;
const int FilledRole = Qt::UserRole + 1;

QString driveLabel(QChar letter) { return QString(letter) + QLatin1Char(':'); }

}  // namespace

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent)
{
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    addItem(style()->standardIcon(QStyle::SP_DriveFDIcon), driveLabel(QLatin1Char('A')));
    addItem(icon, driveLabel(QLatin1Char('C')));
    setCurrentIndex(1);
    connect(this, &QComboBox::activated, this, [this] { emit driveChanged(drive()); });
}

QChar DriveComboBox::drive() const
{
    const QString text = currentText();
    return text.isEmpty() ? QLatin1Char('C') : text.at(0);
}

void DriveComboBox::setDrive(QChar letter)
{
    const int index = findText(driveLabel(letter.toUpper()));
    if (index >= 0)
        setCurrentIndex(index);
}

DirectoryListBox::DirectoryListBox(QWidget* parent)
    : QTreeWidget(parent), m_folderIcon(style()->standardIcon(QStyle::SP_DirIcon))
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setIndentation(12);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemExpanded, this, &DirectoryListBox::fillChildren);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            emit directoryChanged(item->data(0, ShownRole).toString());
    });
    showDrive(QLatin1Char('C'));
}

void DirectoryListBox::setDriveComboBox(DriveComboBox* drives)
{
    m_drives = drives;
    connect(drives, &DriveComboBox::driveChanged, this, &DirectoryListBox::showDrive);
}

QString DirectoryListBox::directory() const
{
    const QTreeWidgetItem* item = currentItem();
    return item ? item->data(0, ShownRole).toString() : QString();
}

QString DirectoryListBox::driveRoot(QChar drive) const
{
    if (drive == QLatin1Char('A'))
        return m_config ? m_config->driveFolder(QLatin1Char('A')) : QString();
    return QDir::rootPath();
}

QString DirectoryListBox::realPath(const QString& shown) const
{
    if (shown.startsWith(QLatin1String("A:"), Qt::CaseInsensitive)) {
        const QString root = driveRoot(QLatin1Char('A'));
        QString rest = shown.mid(2);
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return root.isEmpty() ? QString() : QDir::cleanPath(root + QLatin1Char('/') + rest);
    }
#ifndef Q_OS_WIN
    // Drive C: is the file system itself; "C:\x" names "/x".
    if (shown.startsWith(QLatin1String("C:"), Qt::CaseInsensitive)) {
        QString rest = shown.mid(2);
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return QDir::cleanPath(QLatin1Char('/') + rest);
    }
#endif
    return QDir::cleanPath(QDir::fromNativeSeparators(shown));
}

QString DirectoryListBox::shownPath(QChar drive, const QString& real) const
{
    if (drive != QLatin1Char('A'))
        return QDir::toNativeSeparators(real);
    const QString relative = QDir(driveRoot(drive)).relativeFilePath(real);
    QString shown = QStringLiteral("A:\\");
    if (relative != QLatin1String("."))
        shown += QString(relative).replace(QLatin1Char('/'), QLatin1Char('\\'));
    return shown;
}

QTreeWidgetItem* DirectoryListBox::addFolder(QTreeWidgetItem* parent, const QString& label, const QString& shown)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, label);
    item->setData(0, ShownRole, shown);
    item->setIcon(0, m_folderIcon);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void DirectoryListBox::fillChildren(QTreeWidgetItem* item)
{
    if (item->data(0, FilledRole).toBool())
        return;
    item->setData(0, FilledRole, true);
    const QString shown = item->data(0, ShownRole).toString();
    const QChar drive = shown.startsWith(QLatin1String("A:"), Qt::CaseInsensitive) ? QLatin1Char('A') : m_drive;
    QDir dir(realPath(shown));
    const QFileInfoList folders = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& info : folders)
        addFolder(item, info.fileName(), shownPath(drive, info.absoluteFilePath()));
    item->setChildIndicatorPolicy(folders.isEmpty() ? QTreeWidgetItem::DontShowIndicator
                                                    : QTreeWidgetItem::ShowIndicator);
}

void DirectoryListBox::showDrive(QChar letter)
{
    const QChar drive = letter.toUpper();
    m_drive = drive;
    clear();
    const QString root = driveRoot(drive);
    const QString shownRoot = drive == QLatin1Char('A') ? QStringLiteral("A:\\") : QDir::toNativeSeparators(root);
    QTreeWidgetItem* item = addFolder(nullptr, shownRoot, shownRoot);
    // The root's folders are read when the list is first seen, not for a window never shown.
    m_rootFilled = false;
    if (isVisible())
        fillRoot();
    setCurrentItem(item);
    if (m_drives)
        m_drives->setDrive(drive);
}

void DirectoryListBox::fillRoot()
{
    m_rootFilled = true;
    QTreeWidgetItem* item = topLevelItem(0);
    const QString root = driveRoot(m_drive);
    // A drive that cannot be read shows its root alone.
    if (item && !root.isEmpty() && QFileInfo(root).isDir()) {
        fillChildren(item);
        item->setExpanded(true);
    }
}

void DirectoryListBox::showEvent(QShowEvent* event)
{
    if (!m_rootFilled)
        fillRoot();
    QTreeWidget::showEvent(event);
}

void DirectoryListBox::setDirectory(const QString& shown)
{
    const QChar drive =
        shown.startsWith(QLatin1String("A:"), Qt::CaseInsensitive) ? QLatin1Char('A') : QLatin1Char('C');
    const QString real = realPath(shown);
    if (real.isEmpty() || !QFileInfo(real).isDir())
        throw store::StoreError(store::FileError,
                                QStringLiteral("No se encuentra la carpeta %1.").arg(QDir::toNativeSeparators(shown)));

    m_drive = drive;
    clear();
    m_rootFilled = true;
    // The chain from the drive's root down to the folder, each folder one step further in.
    const QString root = QDir::cleanPath(driveRoot(drive));
    QString relative = QDir(root).relativeFilePath(real);
    if (relative == QLatin1String("."))
        relative.clear();
    const QString shownRoot = drive == QLatin1Char('A') ? QStringLiteral("A:\\") : QDir::toNativeSeparators(root);
    QTreeWidgetItem* item = addFolder(nullptr, shownRoot, shownRoot);
    item->setData(0, FilledRole, true);
    QString walked = root;
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        walked = QDir(walked).filePath(part);
        item->setExpanded(true);
        item = addFolder(item, part, shownPath(drive, walked));
        item->setData(0, FilledRole, true);
    }
    item->setData(0, FilledRole, false);
    fillChildren(item);
    item->setExpanded(true);
    setCurrentItem(item);
    scrollToItem(item);
    if (m_drives)
        m_drives->setDrive(drive);
}
