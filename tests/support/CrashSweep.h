#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// All-or-nothing work killed at each of its system calls in turn. The work runs in a child
// process (this test program again, with arguments that run it) under strace, which kills it at
// the n-th call of one kind; n goes over every such call the work makes, kind by kind, until a
// run gets past the last one. After each kill the caller's check looks at the folder as the
// program would find it and answers what is half done, or nothing.
namespace crashsweep {

// Every call a crash can fall between: writes, syncs, renames and removals.
const QStringList& calls();

struct Work {
    std::function<void()> reset;        // the folder as it was before the work
    QStringList childArguments;         // this program's arguments that run the work
    std::function<QString()> halfDone;  // what is half done after a kill; empty when whole
    int expectedExit = 0;               // how a run that is not killed ends
};

struct Figures {
    bool traceable = true;  // false: no strace here, or it may not trace
    int tried = 0;          // kills made
    int halfStates = 0;
    QStringList failures;  // "<call> #<n>: <what is half done>", and runs that ended wrongly
    QString summary() const;
};

Figures sweep(const Work& work);

}  // namespace crashsweep
