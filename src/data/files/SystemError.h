#pragma once

#include <QString>

class QFileDevice;

// Why a file operation failed, in the program's own Spanish: the system's texts are English
// (or in whatever language the machine speaks), and the user reads only ours.
namespace store {

// For a file that failed to open, read or write; `path` is the file it was about.
QString fileErrorReason(const QFileDevice& file, const QString& path);
// For the system error number of a failed call.
QString systemErrorReason(int errorNumber);

}  // namespace store
