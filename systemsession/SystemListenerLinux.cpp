#include "SystemListenerLinux.h"

#include <QDebug>
#include <algorithm>

namespace SystemSession {

namespace {

// Lower-cased, split at every ";" and trimmed; empty entries are kept and never match.
QStringList listFromText(const QString& text)
{
    QStringList entries = text.toLower().split(QLatin1Char(';'), Qt::KeepEmptyParts);
    for (QString& entry : entries) {
        entry = entry.trimmed();
    }
    return entries;
}

// Whole names only. Names on Linux carry no ".exe", but a list written for Windows does; such an
// entry matches the name with or without it.
bool processMatches(const QString& name, const QString& entry)
{
    if (entry.isEmpty()) {
        return false;
    }
    static const QString exe = QStringLiteral(".exe");
    return name == entry || (entry.size() > exe.size() && entry.endsWith(exe) &&
                             QStringRef(&entry, 0, entry.size() - exe.size()) == name);
}

void logError(const char* text, const QString& reason)
{
    qWarning().noquote() << "--------------WinkwellGUI::error" << text << ":" << reason;
}

} // namespace

SystemListenerLinux::SystemListenerLinux(Sources sources, QObject* parent)
    : EventFilter(parent), m_sources(std::move(sources))
{
    qDebug() << "SystemListenerLinux::SystemListenerLinux()";
    connect(m_sources.session.get(), &SessionMonitor::lockChanged, this,
            &SystemListenerLinux::onLockChanged);
    connect(m_sources.session.get(), &SessionMonitor::sleepChanged, this,
            &SystemListenerLinux::onSleepChanged);

    connect(m_sources.power.get(), &PowerMonitor::onBatteryChanged, this, [this](bool battery) {
        qDebug() << "SystemListenerLinux::powerEvent() UPower OnBattery"
                 << (battery ? "running on battery" : "running on AC");
        report(battery ? OnBattery : OnMains);
    });
    connect(m_sources.power.get(), &PowerMonitor::lidClosedChanged, this, [this](bool closed) {
        qDebug() << "SystemListenerLinux::powerEvent() UPower LidIsClosed"
                 << (closed ? "lid closed" : "lid opened");
        report(closed ? LidClosed : LidOpened);
    });
    connect(m_sources.power.get(), &PowerMonitor::powerSaverChanged, this, [this](bool on) {
        qDebug() << "SystemListenerLinux::powerEvent() power-profiles-daemon ActiveProfile"
                 << (on ? "power saver on" : "power saver off");
        report(on ? BatterySaverOn : BatterySaverOff);
    });

    connect(m_sources.displays.get(), &DisplayMonitor::configurationChanged, this,
            &SystemListenerLinux::onDisplayConfigurationChanged);
    connect(m_sources.displays.get(), &DisplayMonitor::displayPowerChanged, this, [this](bool on) {
        qDebug() << "SystemListenerLinux::displayEvent() DPMS"
                 << (on ? "display on" : "display off");
        report(on ? DisplayOn : DisplayOff);
    });
    connect(m_sources.displays.get(), &DisplayMonitor::dpiChanged, this, [this] {
        qDebug() << "SystemListenerLinux::displayEvent() logicalDotsPerInchChanged";
        report(DpiChanged);
    });

    m_checkTimer.setInterval(1000);
    connect(&m_checkTimer, &QTimer::timeout, this,
            &SystemListenerLinux::checkProcessesAndWindowsTitles);
}

SystemListenerLinux::~SystemListenerLinux()
{
    qDebug() << "SystemListenerLinux::~SystemListenerLinux()";
}

void SystemListenerLinux::report(Status status)
{
    emit sessionChangeDetected(status);
}

void SystemListenerLinux::onLockChanged(bool locked, const QString& source)
{
    qDebug().noquote() << "SystemListenerLinux::sessionEvent():" + source
                       << (locked ? "screen locked event" : "screen unlock event");
    report(locked ? SessionLocked : SessionUnlocked);
}

void SystemListenerLinux::onSleepChanged(bool goingToSleep)
{
    if (goingToSleep) {
        qDebug() << "SystemListenerLinux::sessionEvent():PrepareForSleep: computer is going to "
                    "be suspended";
        if (!m_suspended) {
            m_suspended = true;
            report(GoingToSuspend);
        }
    } else {
        qDebug() << "SystemListenerLinux::sessionEvent():PrepareForSleep: computer is going to "
                    "be on from suspend";
        if (m_suspended) {
            m_suspended = false;
            report(ResumedFromSuspend);
        }
    }
}

void SystemListenerLinux::onDisplayConfigurationChanged()
{
    report(DisplayConfigurationChanged);
    qDebug() << "SystemListenerLinux::displayEvent() RRScreenChangeNotify";
    checkDisplayTopology();
}

void SystemListenerLinux::checkBatteryStatus()
{
    qDebug() << "SystemListenerLinux::checkBatteryStatus()";
    const std::optional<bool> battery = m_sources.power->onBattery();
    if (!battery) {
        logError("get system power status failed", QStringLiteral("UPower gave no OnBattery"));
        return;
    }
    report(*battery ? OnBattery : OnMains);
}

void SystemListenerLinux::checkPowerSaverStatus()
{
    qDebug() << "SystemListenerLinux::checkPowerSaverStatus()";
    const std::optional<bool> saver = m_sources.power->powerSaverOn();
    if (!saver) {
        logError("get system power status failed",
                 QStringLiteral("power-profiles-daemon gave no ActiveProfile"));
        return;
    }
    report(*saver ? BatterySaverOn : BatterySaverOff);
}

void SystemListenerLinux::checkDisplayTopology()
{
    const std::optional<QList<ActiveOutput>> outputs = m_sources.displays->activeOutputs();
    if (!outputs) {
        logError("query display config failed", QStringLiteral("no RandR screen layout"));
        report(ScreenNotCloned);
        return;
    }
    QStringList screens;
    for (const ActiveOutput& output : *outputs) {
        screens << QStringLiteral("%1 crtc %2 %3x%4+%5+%6")
                       .arg(output.name)
                       .arg(output.crtc)
                       .arg(output.rect.width())
                       .arg(output.rect.height())
                       .arg(output.rect.x())
                       .arg(output.rect.y());
    }
    qDebug().noquote() << "SystemListenerLinux::checkDisplayTopology() active screens"
                       << screens.join(QStringLiteral(", "));
    // A clone is one picture on two outputs: one CRTC driving both, or two showing one area.
    for (int i = 0; i < outputs->size(); ++i) {
        for (int j = i + 1; j < outputs->size(); ++j) {
            if (outputs->at(i).crtc == outputs->at(j).crtc ||
                outputs->at(i).rect == outputs->at(j).rect) {
                report(ScreenCloned);
                return;
            }
        }
    }
    report(ScreenNotCloned);
}

void SystemListenerLinux::enableWindowTitleCheck(bool enabled)
{
    switchCheck(m_windowTitleCheckEnabled, enabled, m_pausedByWindowTitle, NoCameraTitle);
}

void SystemListenerLinux::enablePauseAppWindowTitleCheck(bool enabled)
{
    switchCheck(m_pauseAppWindowTitleCheckEnabled, enabled, m_pausedByPauseAppWindowTitle,
                NoPauseTitle);
}

void SystemListenerLinux::enableProcessCheck(bool enabled)
{
    switchCheck(m_processCheckEnabled, enabled, m_pausedByProcess, NoListedProcess);
}

void SystemListenerLinux::switchCheck(bool& enabled, bool enable, bool& paused, Status gone)
{
    const bool wasEnabled = enabled;
    enabled = enable;
    updateCheckTimer();
    if (!enable && paused) {
        // Nothing is watched any more, so nothing can hold the pause.
        paused = false;
        qDebug() << "SystemListenerLinux: check switched off while it matched";
        report(gone);
    } else if (enable && !wasEnabled) {
        checkProcessesAndWindowsTitles();
    }
}

void SystemListenerLinux::confirmReadyForSleep()
{
    m_sources.session->releaseSleepDelay();
}

void SystemListenerLinux::updateCheckTimer()
{
    if (!m_processCheckEnabled && !m_windowTitleCheckEnabled &&
        !m_pauseAppWindowTitleCheckEnabled && m_callWindowTitles.isEmpty()) {
        m_checkTimer.stop();
    } else if (!m_checkTimer.isActive()) {
        m_checkTimer.start();
        qDebug() << "SystemListenerLinux: timer started";
    }
}

void SystemListenerLinux::setWindowTitles(QString titles)
{
    m_windowTitles = listFromText(titles);
    checkProcessesAndWindowsTitles();
}

void SystemListenerLinux::setPauseAppWindowTitles(QString titles)
{
    m_pauseAppWindowTitles = listFromText(titles);
    checkProcessesAndWindowsTitles();
}

void SystemListenerLinux::setProcesses(QString processes)
{
    m_processes = listFromText(processes);
    checkProcessesAndWindowsTitles();
}

void SystemListenerLinux::setCallWindowTitles(QString titles)
{
    m_callWindowTitles = listFromText(titles);
    m_callWindowTitles.removeAll(QString());
    updateCheckTimer();
    checkProcessesAndWindowsTitles();
}

void SystemListenerLinux::checkProcessesAndWindowsTitles()
{
    if (m_pauseAppWindowTitleCheckEnabled || m_windowTitleCheckEnabled ||
        !m_callWindowTitles.isEmpty() || !m_callWindows.isEmpty()) {
        // One reading serves every title rule.
        const QStringList shown = m_sources.windows->visibleWindowTitles();
        QStringList titles = shown;
        for (QString& title : titles) {
            title = title.toLower();
        }
        checkCallWindows(shown);
        if (m_pauseAppWindowTitleCheckEnabled) {
            checkWindowTitles(titles, m_pauseAppWindowTitles, m_pausedByPauseAppWindowTitle,
                              PauseTitleOpen, NoPauseTitle);
        }
        if (m_windowTitleCheckEnabled) {
            checkWindowTitles(titles, m_windowTitles, m_pausedByWindowTitle, CameraTitleOpen,
                              NoCameraTitle);
        }
    }
    if (m_processCheckEnabled) {
        checkProcesses();
    }
}

void SystemListenerLinux::checkWindowTitles(const QStringList& titles, const QStringList& entries,
                                            bool& paused, Status match, Status gone)
{
    for (const QString& title : titles) {
        for (const QString& entry : entries) {
            if (!entry.isEmpty() && title.contains(entry)) {
                if (!paused) {
                    qDebug() << "SystemListenerLinux::checkWindowsTitles()" << title << entry;
                    report(match);
                    paused = true;
                }
                return;
            }
        }
    }
    if (paused) {
        paused = false;
        qDebug() << "SystemListenerLinux::checkWindowsTitles() resumed";
        report(gone);
    }
}

void SystemListenerLinux::checkCallWindows(const QStringList& titles)
{
    QStringList calls;
    for (const QString& title : titles) {
        const QString lower = title.toLower();
        if (std::any_of(m_callWindowTitles.cbegin(), m_callWindowTitles.cend(),
                        [&](const QString& entry) { return lower.contains(entry); })) {
            calls << title;
        }
    }
    calls.sort();
    if (calls != m_callWindows) {
        m_callWindows = calls;
        qDebug() << "SystemListenerLinux: call windows" << calls;
        emit callWindowsChanged(calls);
    }
}

void SystemListenerLinux::checkProcesses()
{
    const QStringList names = m_sources.processes->runningProcessNames();
    for (const QString& name : names) {
        const QString lower = name.toLower();
        for (const QString& entry : qAsConst(m_processes)) {
            if (processMatches(lower, entry)) {
                if (!m_pausedByProcess) {
                    qDebug() << "SystemListenerLinux::checkProcesses()" << lower << entry;
                    report(ListedProcessRuns);
                    m_pausedByProcess = true;
                }
                return;
            }
        }
    }
    if (m_pausedByProcess) {
        m_pausedByProcess = false;
        qDebug() << "SystemListenerLinux::checkProcesses() resumed";
        report(NoListedProcess);
    }
}

std::unique_ptr<EventFilter> createSystemListener()
{
    // Wayland keeps other programs' windows and the display's power from its clients; only what
    // reaches D-Bus, /proc and XWayland can be seen.
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qDebug() << "SystemListenerLinux: Wayland session: lock, suspend, lid, battery and power "
                    "saver (D-Bus) and the process check work; window titles are seen only for "
                    "X (XWayland) windows, and display off (DPMS) is not seen";
    }
    SystemListenerLinux::Sources sources;
    sources.session = createSessionMonitor();
    sources.power = createPowerMonitor();
    sources.displays = createDisplayMonitor();
    sources.windows = createWindowTitleLister();
    sources.processes = createProcessLister();
    return std::make_unique<SystemListenerLinux>(std::move(sources));
}

} // namespace SystemSession
