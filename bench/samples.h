#pragma once

#include <QVector>

#include <algorithm>

// The median of repeated timings: one run slowed by a neighbour's build on this
// shared machine does not move it.
inline double median(QVector<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
