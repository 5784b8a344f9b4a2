#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: the input as bytes, a folder for the files an entry point reads,
// the reading and writing of those files, and the stop for an input that breaks a property the
// target checks.
namespace fuzz {

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// One folder for the whole process, made at the first input and used again by every later one:
// making a folder per input would cost more than most inputs do.
inline QString scratchFolder()
{
    static QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder: %s\n", qPrintable(dir.errorString()));
        std::abort();
    }
    return dir.path();
}

// An input that breaks what the target checks stops the process like a crash, so that the
// fuzzer keeps it and a replay fails on it.
[[noreturn]] inline void fault(const char* what, const QString& detail = {})
{
    const QString shown = detail.size() > 300 ? detail.left(300) + QStringLiteral("…") : detail;
    std::fprintf(stderr, "FAULT: %s%s%s\n", what, shown.isEmpty() ? "" : ": ", qPrintable(shown));
    std::fflush(stderr);
    std::abort();
}

inline void require(bool holds, const char* what, const QString& detail = {})
{
    if (!holds)
        fault(what, detail);
}

// Windows-1252 by the code page's own chart; the five bytes it leaves out have no character and
// read as the replacement character.
inline QChar windows1252(unsigned char b)
{
    static const char16_t high[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    return b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(b);
}

// Whether a character is one of Windows-1252's.
inline bool inWindows1252(QChar c)
{
    if (c == QChar(QChar::ReplacementCharacter))
        return false;
    for (int b = 0; b < 0x100; ++b)
        if (windows1252(static_cast<unsigned char>(b)) == c)
            return true;
    return false;
}

// A file that cannot be read or written stops the run as a fault: without it nothing the target
// checks can be told.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fault("cannot read", path + QStringLiteral(": ") + file.errorString());
    return file.readAll();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fault("cannot write", path + QStringLiteral(": ") + file.errorString());
}

}  // namespace fuzz
