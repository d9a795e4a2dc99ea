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

signals:
    // Sent once per change however many of the system's sources report it; source names the
    // one that did, for the log.
    void lockChanged(bool locked, const QString& source);
    // true before the computer sleeps, false after it woke; the system waits for the receivers
    // of true to return before it sleeps.
    void sleepChanged(bool goingToSleep);
};

// logind and the screen saver on Linux.
std::unique_ptr<SessionMonitor> createSessionMonitor();
