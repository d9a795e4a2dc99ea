#pragma once

#include "controller/SchedulerClock.h"

// The real UTC clock and QTimers.
class SystemSchedulerClock : public SchedulerClock
{
public:
    QDateTime nowUtc() const override;
    CountdownTimer* createTimer(QObject* parent) override;
};
