#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace SystemSession {

// Watches the operating system for the moments the program should step back (lock, suspend,
// display off, lid, battery, saver, cloned screen, listed processes and window titles) and
// reports each as one status code through sessionChangeDetected(int). Lives on the interface
// thread, installed as the application's native event filter.
class EventFilter : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // The codes of sessionChangeDetected(int); 6 and 7 are not used.
    enum Status
    {
        SessionLocked = 0,
        SessionUnlocked = 1,
        GoingToSuspend = 2,
        ResumedFromSuspend = 3,
        DisplayOn = 4,
        DisplayOff = 5,
        LidOpened = 8,
        LidClosed = 9,
        DisplayConfigurationChanged = 10,
        ScreenCloned = 11,
        ScreenNotCloned = 12,
        OnBattery = 13,
        OnMains = 14,
        BatterySaverOff = 15,
        BatterySaverOn = 16,
        DpiChanged = 17,
        ListedProcessRuns = 18,
        NoListedProcess = 19,
        CameraTitleOpen = 20,
        NoCameraTitle = 21,
        PauseTitleOpen = 22,
        NoPauseTitle = 23
    };

    explicit EventFilter(QObject* parent = nullptr);
    ~EventFilter() override;

    // Messages pass on to their normal handling whatever the listener makes of them.
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

public slots:
    virtual void checkBatteryStatus() = 0;
    virtual void checkPowerSaverStatus() = 0;
    virtual void checkDisplayTopology() = 0;
    virtual void enableWindowTitleCheck(bool enabled) = 0;
    virtual void enablePauseAppWindowTitleCheck(bool enabled) = 0;
    virtual void enableProcessCheck(bool enabled) = 0;
    virtual void setWindowTitles(QString titles) = 0;
    virtual void setPauseAppWindowTitles(QString titles) = 0;
    virtual void setProcesses(QString processes) = 0;
    // Words of the titles of call windows; watched whenever the list has an entry.
    virtual void setCallWindowTitles(QString titles) = 0;
    // The pause for a suspend has reached the camera engine: the system may sleep now. Until
    // then, or for a short while at most, the listener holds the system's sleep back.
    virtual void confirmReadyForSleep() {}

signals:
    void sessionChangeDetected(int status);
    // The open windows whose titles name a call; empty once none is open. Sent on change.
    void callWindowsChanged(QStringList titles);

protected slots:
    virtual void checkProcessesAndWindowsTitles() = 0;
};

// Makes the listener the main window installs; the system's own unless a test hands in another.
using EventFilterFactory = std::function<std::unique_ptr<EventFilter>()>;
std::unique_ptr<EventFilter> createSystemListener();

} // namespace SystemSession
