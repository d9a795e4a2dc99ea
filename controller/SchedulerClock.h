#pragma once

#include <QDateTime>
#include <QObject>

// A countdown with QTimer's contract, so that the scheduler can run on simulated time.
class CountdownTimer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setInterval(int ms) = 0;
    virtual void setSingleShot(bool singleShot) = 0;
    // Starts, or restarts, with the current interval.
    virtual void start() = 0;
    // Sets the interval to ms, then starts or restarts.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    // Milliseconds to the next timeout; -1 when not running.
    virtual int remainingTime() const = 0;

signals:
    void timeout();
};

// The scheduler's time base: "now" and its timers come from one place.
class SchedulerClock
{
public:
    virtual ~SchedulerClock() = default;
    virtual QDateTime nowUtc() const = 0;
    // The timer is a child of parent and lives in parent's thread.
    virtual CountdownTimer* createTimer(QObject* parent) = 0;
};
