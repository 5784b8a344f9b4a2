#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

namespace imports {

// A text file read one line at a time; lines end in LF, CR LF or CR alone. A file that is valid UTF-8
// and holds anything beyond ASCII is read as UTF-8 (a byte-order mark is dropped); every other
// file as Windows-1252. The whole file is looked over when it is opened, so a file that cannot
// be a text file (NUL bytes, a line of a megabyte) is refused before any line is handed out.
// Every failure is a store::StoreError with the code InputFileError and a text for the user.
class TextFile {
public:
    static constexpr qsizetype MaxLineBytes = 1024 * 1024;  // before the line feed

    explicit TextFile(const QString& path);
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // The next line without its line end; false at the end of the file.
    bool readLine(QString& line);
    int lineNumber() const { return m_lineNumber; }  // of the line read last, from 1
    bool utf8() const { return m_utf8; }

    // Refuses the file when it is no longer the one looked over (its size or modification time
    // differ): called after a question, so what is read is what the user confirmed. Reaching
    // the end with another number of bytes than were looked over is refused the same way.
    void checkUnchanged() const;

private:
    void scan();
    bool fill();
    void decode(const char* data, qsizetype size, QString& line) const;
    [[noreturn]] void fail(const QString& text) const;
    [[noreturn]] void hasNul() const;
    [[noreturn]] void tooLong(int line) const;
    [[noreturn]] void changed() const;

    QFile m_file;
    QString m_path;
    bool m_utf8 = false;
    bool m_ascii = true;    // nothing beyond ASCII anywhere in the file
    bool m_astral = false;  // UTF-8 characters beyond the 16-bit range
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
    int m_lineNumber = 0;
    qint64 m_scannedBytes = 0;
    qint64 m_readBytes = 0;
    QDateTime m_scannedModified;
};

}  // namespace imports
