#pragma once

#include <QObject>
#include <QString>
#include <memory>

// The user's session as the system reports it: screen lock and suspend.
class SessionMonitor : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // A lock only requested (no locker said the session is locked) ends with the user's input
    // this long after the request.
    static constexpr int kLockRequestGraceMs = 1000;

public slots:
    // The pause for the coming sleep has been applied: the system may sleep now.
    virtual void releaseSleepDelay() {}

signals:
    // Sent once per change however many of the system's sources report it; source names the
    // one that did, for the log.
    void lockChanged(bool locked, const QString& source);
    // true before the computer sleeps, false after it woke; the system waits for
    // releaseSleepDelay(), or a short while at most, before it sleeps.
    void sleepChanged(bool goingToSleep);
};

// logind and the screen saver on Linux, with the desktop's input times to tell when a user is
// back from a lock that only was requested.
std::unique_ptr<SessionMonitor> createSessionMonitor();
