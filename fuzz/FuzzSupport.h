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
