#pragma once

// What the benchmarks share: one core to run on, percentiles, and the process's own memory.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstring>
#include <opencv2/core.hpp>
#include <sched.h>
#include <vector>

// Runs this process on the first core, OpenCV without worker threads: the figures must not hide
// behind other cores.
inline void runOnOneCore()
{
    cv::setNumThreads(1);
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    CPU_SET(0, &cpus);
    sched_setaffinity(0, sizeof cpus, &cpus);
}

// The value at share p (0 to 1) of the sorted values; 0 for none.
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * values.size()))];
}

// A field of /proc/self/status (or of another file of the process in that form, such as
// smaps_rollup) in megabytes; 0 where it is absent.
inline double procStatusMb(const char* field, const char* file = "/proc/self/status")
{
    QFile status(QString::fromLatin1(file));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0.0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(static_cast<int>(std::strlen(field)))
                       .trimmed()
                       .split(' ')[0]
                       .toDouble() /
                   1024.0;
        }
    }
    return 0.0;
}
