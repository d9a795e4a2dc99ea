#pragma once

#include <QPoint>
#include <memory>
#include <optional>

// What the natural-break check needs from the desktop: where the pointer is and how long the
// keyboard and mouse have been left alone.
class IdleMonitor
{
public:
    virtual ~IdleMonitor() = default;
    // The pointer in desktop coordinates; the last known position where it cannot be read.
    virtual QPoint cursorPosition() = 0;
    // Milliseconds since the last keyboard or mouse input; empty where the system cannot tell.
    virtual std::optional<quint32> idleMilliseconds() = 0;
};

// The desktop's own monitor: X11 on Linux.
std::unique_ptr<IdleMonitor> createIdleMonitor();
