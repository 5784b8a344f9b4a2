#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <functional>

// Milliseconds a piece of work takes on the wall clock.
inline double timed(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// The peak resident memory of this process (since start or the last reset), in kB; -1 where
// the system does not tell.
inline long peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The middle one of a set of figures.
inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Numbers from 0 to count - 1 in another order than i runs, as a real register enters its
// clients.
inline int scattered(int i, int count) { return int((qint64(i) * 7919) % count); }

// The windows are drawn off screen unless a platform or a display was given (xvfb-run for one).
inline void offscreenUnlessOnAScreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
