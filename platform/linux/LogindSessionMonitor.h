#pragma once

#include "platform/SessionMonitor.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QTimer>
#include <QVariantMap>
#include <functional>
#include <memory>

class IdleMonitor;

class QDBusMessage;
class QDBusError;

// Lock and suspend from systemd-logind on the system bus, and screen-saver activation on the
// session bus.
// - Lock: the session's LockedHint and org.freedesktop.ScreenSaver.ActiveChanged say whether the
//   session is locked; the first source to report a change wins, the others then repeat it and
//   are dropped. The session's Lock signal is only a request to the screen locker, and some
//   lockers set neither the hint nor the screen saver's state: a request counts as a lock until
//   a source confirms it, the Unlock signal comes, or the user's input shows that they are back.
//   Where input times cannot be read, a request alone locks nothing.
// - Suspend: Manager.PrepareForSleep. A delay inhibitor lock is held while awake, so that the
//   pause is applied before the machine sleeps; it is released by releaseSleepDelay() (the
//   camera has stopped), or after kSleepDelayMs at most, and taken again after the resume.
// The session is the one of this process (GetSessionByPID), else the one named by
// XDG_SESSION_ID. logind may be missing or restart; the monitor follows it.
class LogindSessionMonitor : public SessionMonitor
{
    Q_OBJECT

public:
    static constexpr int kSleepDelayMs = 2000;

    // Makes the input-time source on the first lock request (it holds a display connection of
    // its own); empty, or one that cannot tell, and a lock request locks nothing.
    using IdleMonitorFactory = std::function<std::unique_ptr<IdleMonitor>()>;

    LogindSessionMonitor(const QDBusConnection& systemBus, const QDBusConnection& sessionBus,
                         IdleMonitorFactory idle = {});
    ~LogindSessionMonitor() override;

    bool holdsSleepDelay() const { return m_sleepDelay.isValid(); }

public slots:
    void releaseSleepDelay() override;

private slots:
    void onPrepareForSleep(bool start);
    void onSessionLock();
    void onSessionUnlock();
    void onSessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                    const QStringList& invalidated);
    void onScreenSaverActiveChanged(bool active);

private:
    void onLogindAppeared();
    void onLogindLeft();
    void findSession();
    void findSessionById();
    void followSession(const QString& path);
    void unfollowSession();
    void readLockedHint();
    void applyLockedHint(const QVariant& value);
    void takeSleepDelay();
    void setLocked(bool locked, const QString& source);
    void checkUserBack();
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> onReply,
              std::function<void(const QDBusError&)> onError);
    void reportLogindAbsent(const QDBusError& error);

    QDBusConnection m_system;
    QDBusConnection m_session;
    QDBusServiceWatcher m_logindWatcher;
    QString m_sessionPath;
    QDBusUnixFileDescriptor m_sleepDelay;
    bool m_goingToSleep = false;
    bool m_locked = false;
    bool m_absenceReported = false;
    IdleMonitorFactory m_idleFactory;
    std::unique_ptr<IdleMonitor> m_idle;
    // Locked by a request no source has confirmed; ended by the user's input.
    bool m_lockRequestOnly = false;
    QElapsedTimer m_sinceLockRequest;
    QTimer m_userBackCheck;
    QTimer m_sleepDeadline;
};
