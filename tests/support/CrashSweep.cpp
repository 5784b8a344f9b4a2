#include "CrashSweep.h"

#include "KillAt.h"

namespace crashsweep {

const QStringList& calls()
{
    static const QStringList list = {
        QStringLiteral("write"),  QStringLiteral("pwrite64"), QStringLiteral("fsync"),     QStringLiteral("fdatasync"),
        QStringLiteral("rename"), QStringLiteral("renameat"), QStringLiteral("renameat2"), QStringLiteral("linkat"),
        QStringLiteral("unlink"), QStringLiteral("unlinkat"), QStringLiteral("ftruncate")};
    return list;
}

QString Figures::summary() const
{
    return QStringLiteral("%1 llamadas interrumpidas, %2 estados a medias").arg(tried).arg(halfStates);
}

Figures sweep(const Work& work)
{
    // A limit far beyond any of the small runs swept, so a run that never ends fails rather than hangs.
    const int limit = 5000;
    Figures figures;
    for (const QString& call : calls()) {
        for (int when = 1;; ++when) {
            if (when > limit) {
                figures.failures << QStringLiteral("%1: más de %2 llamadas").arg(call).arg(limit);
                break;
            }
            work.reset();
            const killat::Result child = killat::run(call, when, work.childArguments);
            if (child.end == killat::End::Untraceable) {
                figures.traceable = false;
                return figures;
            }
            if (child.end == killat::End::Finished) {
                if (child.exitCode != work.expectedExit)
                    figures.failures
                        << QStringLiteral("%1: sin interrupción terminó con %2").arg(call).arg(child.exitCode);
                break;
            }
            ++figures.tried;
            const QString half = work.halfDone();
            if (!half.isEmpty()) {
                ++figures.halfStates;
                figures.failures << QStringLiteral("%1 #%2: %3").arg(call).arg(when).arg(half);
            }
        }
    }
    return figures;
}

}  // namespace crashsweep
