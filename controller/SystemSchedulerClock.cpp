#include "controller/SystemSchedulerClock.h"

#include <QTimer>

namespace {

class QtCountdownTimer : public CountdownTimer
{
public:
    explicit QtCountdownTimer(QObject* parent) : CountdownTimer(parent), m_timer(this)
    {
        connect(&m_timer, &QTimer::timeout, this, &CountdownTimer::timeout);
    }

    void setInterval(int ms) override { m_timer.setInterval(ms); }
    void setSingleShot(bool singleShot) override { m_timer.setSingleShot(singleShot); }
    void start() override { m_timer.start(); }
    void start(int ms) override { m_timer.start(ms); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    int remainingTime() const override { return m_timer.remainingTime(); }

private:
    QTimer m_timer;
};

} // namespace

QDateTime SystemSchedulerClock::nowUtc() const
{
    return QDateTime::currentDateTimeUtc();
}

CountdownTimer* SystemSchedulerClock::createTimer(QObject* parent)
{
    return new QtCountdownTimer(parent);
}
