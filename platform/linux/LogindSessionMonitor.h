#pragma once

#include "platform/SessionMonitor.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>
#include <functional>

class QDBusMessage;
class QDBusError;

// Lock and suspend from systemd-logind on the system bus, and screen-saver activation on the
// session bus.
// - Lock: the session's LockedHint, its Lock and Unlock signals (requests to the locker), and
//   org.freedesktop.ScreenSaver.ActiveChanged; the first source to report a change wins, the
//   others then repeat it and are dropped.
// - Suspend: Manager.PrepareForSleep. A delay inhibitor lock is held while awake, so that the
//   pause is applied before the machine sleeps; it is released once the receivers of
//   sleepChanged(true) returned and taken again after the resume.
// The session is the one of this process (GetSessionByPID), else the one named by
// XDG_SESSION_ID. logind may be missing or restart; the monitor follows it.
class LogindSessionMonitor : public SessionMonitor
{
    Q_OBJECT

public:
    LogindSessionMonitor(const QDBusConnection& systemBus, const QDBusConnection& sessionBus);
    ~LogindSessionMonitor() override;

    bool holdsSleepDelay() const { return m_sleepDelay.isValid(); }

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
};
