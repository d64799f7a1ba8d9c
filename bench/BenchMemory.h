#pragma once

// The process's memory as Linux reports it, for the benchmarks' figures.

#include <QByteArray>
#include <QFile>

// A field of /proc/self/status in kB ("VmRSS:", "VmHWM:"); 0 if unknown.
inline long statusKb(const char *field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}
