#pragma once

#include <QStringList>

// Crash points for all-or-nothing tests: this test program run again as a child process with
// the given arguments, under strace, and killed at the when-th call of one system call (strace
// counts each call on its own).
namespace killat {

enum class End {
    Killed,      // the crash point was reached
    Finished,    // the child ran past its last such call; exitCode() says how it ended
    Untraceable  // no strace here, or it may not trace processes
};

struct Result {
    End end = End::Untraceable;
    int exitCode = -1;
};

Result run(const QString& syscall, int when, const QStringList& arguments);

}  // namespace killat
