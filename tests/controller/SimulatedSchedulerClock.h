#pragma once

#include "controller/SchedulerClock.h"

#include <QList>

class SimulatedCountdownTimer;

// Time that moves only when told to. Its timers fire inside advance(), in deadline order (the
// one started first on a tie), each with "now" set to its deadline, so that an hour of
// scheduling runs in milliseconds and always the same way.
class SimulatedSchedulerClock : public SchedulerClock
{
public:
    explicit SimulatedSchedulerClock(const QDateTime& start = QDateTime(QDate(2024, 1, 1),
                                                                        QTime(8, 0), Qt::UTC));
    ~SimulatedSchedulerClock() override;
    SimulatedSchedulerClock(const SimulatedSchedulerClock&) = delete;
    SimulatedSchedulerClock& operator=(const SimulatedSchedulerClock&) = delete;

    QDateTime nowUtc() const override;
    CountdownTimer* createTimer(QObject* parent) override;

    // Moves time forward by ms, firing every timer that falls due on the way.
    void advance(qint64 ms);
    qint64 elapsedMs() const { return m_nowMs; }

private:
    friend class SimulatedCountdownTimer;
    void arm(SimulatedCountdownTimer* timer, qint64 deadlineMs);

    QDateTime m_origin;
    qint64 m_nowMs = 0;
    quint64 m_nextSequence = 0;
    QList<SimulatedCountdownTimer*> m_timers;
};
