#pragma once

#include <QHash>
#include <QString>

namespace store {

// The table files of a folder as they stood when a full check last found them sound: size,
// modification and change times, file identity and SQLite's change counter, kept in a small
// hidden file beside them. A file that still stands so needs no full check at open; any write, by this
// program or another, changes what is kept, and then the file is checked in full once more.
class CheckedFiles {
public:
    explicit CheckedFiles(const QString& folder);

    static const QString FileName;

    bool unchanged(const QString& path) const;
    void sound(const QString& path);  // a full check found it sound just now
    // Keeps what changed; a record that cannot be written only means full checks next time.
    void save();

private:
    QString m_path;
    QHash<QString, QString> m_stamps;  // file name -> its stamp
    bool m_changed = false;
};

}  // namespace store
