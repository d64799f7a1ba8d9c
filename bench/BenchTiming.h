#pragma once

// Small timing helpers the benchmarks share.

#include <QElapsedTimer>
#include <QVector>

#include <algorithm>

inline double msSince(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// The middle value of the runs (-1 for none), steadier than the mean on a
// shared machine.
inline double median(QVector<double> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}
