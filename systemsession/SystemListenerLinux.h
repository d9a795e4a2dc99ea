#pragma once

#include "EventFilter.h"
#include "platform/DisplayMonitor.h"
#include "platform/PowerMonitor.h"
#include "platform/ProcessLister.h"
#include "platform/SessionMonitor.h"
#include "platform/WindowTitleLister.h"

#include <QStringList>
#include <QTimer>

namespace SystemSession {

// The listener on Linux. Its sources are the platform's monitors (logind and the screen saver,
// UPower and power-profiles-daemon, RandR, DPMS and the primary screen's DPI, the X window list,
// /proc); here they become status codes with the edge rules of the pause logic: a suspend is
// reported once until the resume, and each list check reports a match once until it is gone.
// List entries are lower-cased and trimmed ("zoom; teams" matches "teams").
// Everything runs on the thread the listener lives on, the interface thread.
class SystemListenerLinux : public EventFilter
{
    Q_OBJECT

public:
    struct Sources
    {
        std::unique_ptr<SessionMonitor> session;
        std::unique_ptr<PowerMonitor> power;
        std::unique_ptr<DisplayMonitor> displays;
        std::unique_ptr<WindowTitleLister> windows;
        std::unique_ptr<ProcessLister> processes;
    };

    explicit SystemListenerLinux(Sources sources, QObject* parent = nullptr);
    ~SystemListenerLinux() override;

    bool isCheckTimerActive() const { return m_checkTimer.isActive(); }

public slots:
    void checkBatteryStatus() override;
    void checkPowerSaverStatus() override;
    void checkDisplayTopology() override;
    void enableWindowTitleCheck(bool enabled) override;
    void enablePauseAppWindowTitleCheck(bool enabled) override;
    void enableProcessCheck(bool enabled) override;
    void setWindowTitles(QString titles) override;
    void setPauseAppWindowTitles(QString titles) override;
    void setProcesses(QString processes) override;
    void setCallWindowTitles(QString titles) override;
    void confirmReadyForSleep() override;

protected slots:
    void checkProcessesAndWindowsTitles() override;

private:
    void onLockChanged(bool locked, const QString& source);
    void onSleepChanged(bool goingToSleep);
    void onDisplayConfigurationChanged();
    // Stores a check's switch: one switched off reports that its match is gone, one switched on
    // looks at once.
    void switchCheck(bool& enabled, bool enable, bool& paused, Status gone);
    void updateCheckTimer();
    void checkWindowTitles(const QStringList& titles, const QStringList& entries, bool& paused,
                           Status match, Status gone);
    void checkProcesses();
    void checkCallWindows(const QStringList& titles);
    void report(Status status);

    Sources m_sources;

    bool m_processCheckEnabled = false;
    bool m_windowTitleCheckEnabled = false;
    bool m_pauseAppWindowTitleCheckEnabled = false;
    QStringList m_processes;
    QStringList m_windowTitles;
    QStringList m_pauseAppWindowTitles;
    QStringList m_callWindowTitles;
    QStringList m_callWindows; // as last sent
    QTimer m_checkTimer;
    bool m_suspended = false;
    bool m_pausedByProcess = false;
    bool m_pausedByWindowTitle = false;
    bool m_pausedByPauseAppWindowTitle = false;
};

} // namespace SystemSession
