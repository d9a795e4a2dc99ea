#pragma once

#include <opencv2/core.hpp>
#include <sched.h>

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
