#include "KillAt.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

namespace killat {

Result run(const QString& syscall, int when, const QStringList& arguments)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        return {};
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));  // leak checks fail under ptrace
    child.setProcessEnvironment(env);
    child.start(strace, QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"),
                                    QStringLiteral("/dev/null"), QStringLiteral("-e"),
                                    QStringLiteral("trace=%1").arg(syscall), QStringLiteral("-e"),
                                    QStringLiteral("inject=%1:signal=KILL:when=%2").arg(syscall).arg(when),
                                    QCoreApplication::applicationFilePath()}
                            << arguments);
    if (!child.waitForFinished(120000))
        return {};
    if (child.exitStatus() == QProcess::CrashExit)
        return {End::Killed, -1};
    if (child.readAllStandardError().contains("ptrace"))
        return {};
    return {End::Finished, child.exitCode()};
}

}  // namespace killat
