#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

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
