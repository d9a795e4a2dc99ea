#pragma once

#include "SimulatedSchedulerClock.h"
#include "controller/ApplicationController.h"
#include "platform/CameraCatalog.h"
#include "platform/IdleMonitor.h"
#include "platform/fake/FakeCameraCatalog.h"
#include "platform/fake/FakeMicrophoneUse.h"

#include <QObject>
#include <QSignalSpy>
#include <QStringList>
#include <memory>
#include <vector>

// The engine as the controller sees it: the signals it sends, and slots that do nothing (the
// controller's requests are in its own signal log). A test emits stopped() where the real engine
// would answer a stop, so that it decides when the answer arrives.
class FakeModel : public QObject
{
    Q_OBJECT
public slots:
    void startLivePreview() {}
    void stop() {}
    void setCameraID(int) {}
    void startBlinkMeasurement() {}
    void startTraining() {}
    void detectUser() {}

signals:
    void blinkDetected();
    void errorOccurred(Error e);
    void stopped();
    void trainingStarted();
    void blinkReactionToReminder(bool blinked);
    void measurementSuccessful(float blinkRate, int length);
    void userPresenceDetected(bool present);
    void presenceLookFailed(Error e);
};

// A user at the desk: mouse and keyboard input at moments of the simulated clock.
class SimulatedUser : public IdleMonitor
{
public:
    explicit SimulatedUser(const SimulatedSchedulerClock* clock) : m_clock(clock) {}

    void moveMouse();
    void pressKey() { m_lastInputMs = m_clock->elapsedMs(); }
    // The system cannot tell the idle time.
    bool idleUnknown = false;

    QPoint cursorPosition() override { return m_cursor; }
    std::optional<quint32> idleMilliseconds() override;

private:
    const SimulatedSchedulerClock* m_clock;
    QPoint m_cursor{100, 100};
    qint64 m_lastInputMs = 0;
};

// Records every signal of the controller in the order of emission, stamped with the
// simulated time, through one QSignalSpy per signal.
class SignalLog
{
public:
    SignalLog(ApplicationController* controller, const SimulatedSchedulerClock* clock);
    ~SignalLog();

    // "name" or "name(arg,arg)", oldest first; clears the log.
    QStringList take();
    // The same, each preceded by the simulated milliseconds: "122000 breakRequested".
    QStringList takeTimed();
    // The arguments of every emission of one signal so far.
    const QSignalSpy& spy(const char* name) const;

private:
    class OrderedSpy;
    struct Entry
    {
        qint64 ms;
        QString text;
    };
    std::vector<std::unique_ptr<OrderedSpy>> m_spies;
    QList<Entry> m_entries;
    const SimulatedSchedulerClock* m_clock;
};

// A controller on simulated time with a fake engine, a simulated user and two cameras, its
// fake engine wired as in the application, initialised at simulated time 0. Screen devices are
// absent unless given.
struct ControllerHarness
{
    explicit ControllerHarness(bool initialise = true, ScreenControl::Devices screens = {});
    ~ControllerHarness();

    void advanceMs(qint64 ms) { clock->advance(ms); }
    void advanceTo(qint64 ms) { clock->advance(ms - clock->elapsedMs()); }
    qint64 nowMs() const { return clock->elapsedMs(); }
    QDateTime at(qint64 ms) const { return start.addMSecs(ms); }

    QDateTime start;
    std::shared_ptr<SimulatedSchedulerClock> clock;
    std::shared_ptr<SimulatedUser> user;
    std::shared_ptr<FakeCameraCatalog> cameras;
    FakeMicrophoneUse* microphone = nullptr; // the controller's, once init() has made it
    std::unique_ptr<ApplicationController> controller;
    FakeModel model;
    std::unique_ptr<SignalLog> log;
};
