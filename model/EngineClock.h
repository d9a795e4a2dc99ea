#pragma once

#include <QtGlobal>
#include <atomic>

// The one time base of the engine: run timer, no-face timer and frame ticks all read it, so a
// recorded video can drive simulated time and a three-minute measurement needs no three minutes.
class EngineClock
{
public:
    virtual ~EngineClock() = default;
    virtual qint64 nowNs() const = 0;
    static constexpr double ticksPerSecond() { return 1e9; }
};

class SteadyEngineClock : public EngineClock
{
public:
    qint64 nowNs() const override;
};

// Time that moves only when told to; a recorded frame source sets it from its frame times.
class SimulatedEngineClock : public EngineClock
{
public:
    qint64 nowNs() const override { return m_nowNs.load(); }
    void setNowNs(qint64 ns) { m_nowNs.store(ns); }
    void advanceMs(double ms) { m_nowNs.fetch_add(static_cast<qint64>(ms * 1e6)); }

private:
    std::atomic<qint64> m_nowNs{0};
};

// QElapsedTimer's contract on an EngineClock.
class EngineTimer
{
public:
    explicit EngineTimer(const EngineClock* clock = nullptr) : m_clock(clock) {}
    void setClock(const EngineClock* clock) { m_clock = clock; }
    void start() { m_startNs = m_clock->nowNs(); }
    void invalidate() { m_startNs = -1; }
    bool isValid() const { return m_startNs >= 0; }
    qint64 elapsed() const { return (m_clock->nowNs() - m_startNs) / 1000000; }

private:
    const EngineClock* m_clock;
    qint64 m_startNs = -1;
};
