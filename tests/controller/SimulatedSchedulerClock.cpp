#include "SimulatedSchedulerClock.h"

class SimulatedCountdownTimer : public CountdownTimer
{
public:
    SimulatedCountdownTimer(SimulatedSchedulerClock* clock, QObject* parent)
        : CountdownTimer(parent), m_clock(clock)
    {
        m_clock->m_timers.append(this);
    }

    ~SimulatedCountdownTimer() override
    {
        if (m_clock) {
            m_clock->m_timers.removeOne(this);
        }
    }

    void setInterval(int ms) override
    {
        m_interval = ms;
        if (m_active) {
            start();
        }
    }
    void setSingleShot(bool singleShot) override { m_singleShot = singleShot; }
    void start() override
    {
        if (m_clock) {
            m_clock->arm(this, m_clock->m_nowMs + m_interval);
        }
    }
    void start(int ms) override
    {
        m_interval = ms;
        start();
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    int remainingTime() const override
    {
        if (!m_active || !m_clock) {
            return -1;
        }
        return static_cast<int>(qMax<qint64>(0, m_deadlineMs - m_clock->m_nowMs));
    }

    SimulatedSchedulerClock* m_clock;
    int m_interval = 0;
    bool m_singleShot = false;
    bool m_active = false;
    qint64 m_deadlineMs = 0;
    quint64 m_sequence = 0;
};

SimulatedSchedulerClock::SimulatedSchedulerClock(const QDateTime& start) : m_origin(start)
{
}

SimulatedSchedulerClock::~SimulatedSchedulerClock()
{
    // Timers may outlive the clock when their owner is destroyed later.
    for (SimulatedCountdownTimer* timer : qAsConst(m_timers)) {
        timer->m_clock = nullptr;
        timer->m_active = false;
    }
}

QDateTime SimulatedSchedulerClock::nowUtc() const
{
    return m_origin.addMSecs(m_nowMs);
}

CountdownTimer* SimulatedSchedulerClock::createTimer(QObject* parent)
{
    return new SimulatedCountdownTimer(this, parent);
}

void SimulatedSchedulerClock::arm(SimulatedCountdownTimer* timer, qint64 deadlineMs)
{
    timer->m_active = true;
    timer->m_deadlineMs = deadlineMs;
    timer->m_sequence = m_nextSequence++;
}

void SimulatedSchedulerClock::advance(qint64 ms)
{
    const qint64 target = m_nowMs + ms;
    for (;;) {
        SimulatedCountdownTimer* next = nullptr;
        for (SimulatedCountdownTimer* timer : qAsConst(m_timers)) {
            if (!timer->m_active || timer->m_deadlineMs > target) {
                continue;
            }
            if (!next || timer->m_deadlineMs < next->m_deadlineMs ||
                (timer->m_deadlineMs == next->m_deadlineMs &&
                 timer->m_sequence < next->m_sequence)) {
                next = timer;
            }
        }
        if (!next) {
            break;
        }
        m_nowMs = qMax(m_nowMs, next->m_deadlineMs);
        if (next->m_singleShot) {
            next->m_active = false;
        } else {
            arm(next, m_nowMs + qMax(1, next->m_interval));
        }
        // The receiver may stop, restart or delete any timer, this one included.
        emit next->timeout();
    }
    m_nowMs = target;
}
