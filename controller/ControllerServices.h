#pragma once

#include <memory>

class SchedulerClock;
class IdleMonitor;
class CameraCatalog;

// What ApplicationController reads from outside: time and timers, the user's idleness and the
// cameras. Tests hand in simulated ones.
struct ControllerServices
{
    std::shared_ptr<SchedulerClock> clock;
    std::shared_ptr<IdleMonitor> idleMonitor;
    std::shared_ptr<CameraCatalog> cameras;

    // The real UTC clock and QTimers, the desktop's idle monitor and the system's camera list.
    static ControllerServices system();
};
