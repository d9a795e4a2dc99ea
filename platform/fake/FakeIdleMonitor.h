#pragma once

#include "platform/IdleMonitor.h"

// Pointer and idle time as a test sets them.
class FakeIdleMonitor : public IdleMonitor
{
public:
    QPoint cursor;
    std::optional<quint32> idle = 0u;

    QPoint cursorPosition() override { return cursor; }
    std::optional<quint32> idleMilliseconds() override { return idle; }
};
