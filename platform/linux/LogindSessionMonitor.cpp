#include "LogindSessionMonitor.h"

#include "platform/IdleMonitor.h"
#include "platform/linux/LogindNames.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <unistd.h>
#include <utility>

namespace {

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString screenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");

bool serviceMissing(const QDBusError& error)
{
    return error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::NoReply ||
           error.type() == QDBusError::Disconnected ||
           error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

QDBusMessage managerCall(const QString& method)
{
    return QDBusMessage::createMethodCall(Logind::service, Logind::managerPath,
                                          Logind::managerInterface, method);
}

} // namespace

LogindSessionMonitor::LogindSessionMonitor(const QDBusConnection& systemBus,
                                           const QDBusConnection& sessionBus,
                                           IdleMonitorFactory idle)
    : m_system(systemBus), m_session(sessionBus),
      m_logindWatcher(Logind::service, m_system,
                      QDBusServiceWatcher::WatchForRegistration |
                          QDBusServiceWatcher::WatchForUnregistration),
      m_idleFactory(std::move(idle))
{
    m_userBackCheck.setInterval(500);
    connect(&m_userBackCheck, &QTimer::timeout, this, &LogindSessionMonitor::checkUserBack);
    m_sleepDeadline.setSingleShot(true);
    m_sleepDeadline.setInterval(kSleepDelayMs);
    connect(&m_sleepDeadline, &QTimer::timeout, this, [this] {
        qDebug() << "logind: the pause was not confirmed within" << kSleepDelayMs
                 << "ms, the machine may sleep";
        releaseSleepDelay();
    });
    if (m_session.isConnected()) {
        // Any sender and any path: KDE and others publish the interface at different paths.
        m_session.connect(QString(), QString(), screenSaverInterface,
                          QStringLiteral("ActiveChanged"), this,
                          SLOT(onScreenSaverActiveChanged(bool)));
    } else {
        qDebug() << "LogindSessionMonitor: no session bus, the screen saver is not watched";
    }
    if (!m_system.isConnected()) {
        qDebug() << "LogindSessionMonitor: no system bus, logind lock and suspend are not watched";
        return;
    }
    connect(&m_logindWatcher, &QDBusServiceWatcher::serviceRegistered, this,
            &LogindSessionMonitor::onLogindAppeared);
    connect(&m_logindWatcher, &QDBusServiceWatcher::serviceUnregistered, this,
            &LogindSessionMonitor::onLogindLeft);
    m_system.connect(Logind::service, Logind::managerPath, Logind::managerInterface,
                     QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool)));
    findSession();
    takeSleepDelay();
}

LogindSessionMonitor::~LogindSessionMonitor() = default;

void LogindSessionMonitor::call(const QDBusMessage& message,
                                std::function<void(const QDBusMessage&)> onReply,
                                std::function<void(const QDBusError&)> onError)
{
    auto* pending =
        new QDBusPendingCallWatcher(m_system.asyncCall(message, Logind::callTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [onReply = std::move(onReply),
             onError = std::move(onError)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (finished->isError()) {
                    onError(finished->error());
                } else {
                    onReply(finished->reply());
                }
            });
}

void LogindSessionMonitor::reportLogindAbsent(const QDBusError& error)
{
    if (!m_absenceReported) {
        m_absenceReported = true;
        qDebug().noquote() << "logind (" + Logind::service +
                                  ") does not answer: lock and suspend are not watched;"
                           << error.name() << error.message();
    }
}

void LogindSessionMonitor::onLogindAppeared()
{
    qDebug() << "logind appeared on the system bus";
    m_absenceReported = false;
    findSession();
    takeSleepDelay();
}

void LogindSessionMonitor::onLogindLeft()
{
    qDebug() << "logind left the system bus: lock and suspend are not watched until it returns";
    m_absenceReported = true;
    unfollowSession();
    m_sleepDelay = QDBusUnixFileDescriptor();
}

void LogindSessionMonitor::findSession()
{
    QDBusMessage message = managerCall(QStringLiteral("GetSessionByPID"));
    message << static_cast<quint32>(getpid());
    call(
        message,
        [this](const QDBusMessage& reply) {
            followSession(reply.arguments().value(0).value<QDBusObjectPath>().path());
        },
        [this](const QDBusError& error) {
            if (serviceMissing(error)) {
                reportLogindAbsent(error);
                return;
            }
            qDebug().noquote() << "logind GetSessionByPID:" << error.message()
                               << "- trying XDG_SESSION_ID";
            findSessionById();
        });
}

void LogindSessionMonitor::findSessionById()
{
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (id.isEmpty()) {
        qDebug() << "logind: no session for this process and no XDG_SESSION_ID, lock comes only "
                    "from the screen saver";
        return;
    }
    QDBusMessage message = managerCall(QStringLiteral("GetSession"));
    message << id;
    call(
        message,
        [this](const QDBusMessage& reply) {
            followSession(reply.arguments().value(0).value<QDBusObjectPath>().path());
        },
        [id](const QDBusError& error) {
            qDebug().noquote() << "logind GetSession" << id << "failed:" << error.message()
                               << "- lock comes only from the screen saver";
        });
}

void LogindSessionMonitor::followSession(const QString& path)
{
    if (path.isEmpty()) {
        qDebug() << "logind returned no session path, lock comes only from the screen saver";
        return;
    }
    unfollowSession();
    m_sessionPath = path;
    qDebug().noquote() << "logind session" << path;
    m_system.connect(Logind::service, path, Logind::sessionInterface, QStringLiteral("Lock"), this,
                     SLOT(onSessionLock()));
    m_system.connect(Logind::service, path, Logind::sessionInterface, QStringLiteral("Unlock"),
                     this, SLOT(onSessionUnlock()));
    m_system.connect(Logind::service, path, propertiesInterface,
                     QStringLiteral("PropertiesChanged"), {Logind::sessionInterface}, QString(),
                     this, SLOT(onSessionPropertiesChanged(QString, QVariantMap, QStringList)));
    readLockedHint();
}

void LogindSessionMonitor::unfollowSession()
{
    if (m_sessionPath.isEmpty()) {
        return;
    }
    m_system.disconnect(Logind::service, m_sessionPath, Logind::sessionInterface,
                        QStringLiteral("Lock"), this, SLOT(onSessionLock()));
    m_system.disconnect(Logind::service, m_sessionPath, Logind::sessionInterface,
                        QStringLiteral("Unlock"), this, SLOT(onSessionUnlock()));
    m_system.disconnect(Logind::service, m_sessionPath, propertiesInterface,
                        QStringLiteral("PropertiesChanged"), {Logind::sessionInterface}, QString(),
                        this, SLOT(onSessionPropertiesChanged(QString, QVariantMap, QStringList)));
    m_sessionPath.clear();
}

void LogindSessionMonitor::readLockedHint()
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        Logind::service, m_sessionPath, propertiesInterface, QStringLiteral("Get"));
    message << Logind::sessionInterface << QStringLiteral("LockedHint");
    call(
        message,
        [this](const QDBusMessage& reply) {
            applyLockedHint(reply.arguments().value(0).value<QDBusVariant>().variant());
        },
        [](const QDBusError& error) {
            qDebug().noquote() << "logind LockedHint cannot be read:" << error.message();
        });
}

void LogindSessionMonitor::applyLockedHint(const QVariant& value)
{
    if (value.userType() != QMetaType::Bool) {
        qWarning() << "logind LockedHint has an unexpected type" << value.typeName()
                   << "and is ignored";
        return;
    }
    setLocked(value.toBool(), QStringLiteral("logind LockedHint"));
}

void LogindSessionMonitor::onSessionPropertiesChanged(const QString& interface,
                                                      const QVariantMap& changed,
                                                      const QStringList& invalidated)
{
    if (interface != Logind::sessionInterface) {
        return;
    }
    const auto hint = changed.constFind(QStringLiteral("LockedHint"));
    if (hint != changed.constEnd()) {
        applyLockedHint(*hint);
    } else if (invalidated.contains(QStringLiteral("LockedHint"))) {
        readLockedHint();
    }
}

void LogindSessionMonitor::onSessionLock()
{
    if (m_locked) {
        return;
    }
    if (!m_idle && m_idleFactory) {
        m_idle = m_idleFactory();
        m_idleFactory = {};
    }
    if (!m_idle || !m_idle->idleMilliseconds()) {
        qDebug() << "logind Lock: a request to the screen locker; without input times only "
                    "LockedHint and the screen saver tell a lock";
        return;
    }
    m_lockRequestOnly = true;
    m_sinceLockRequest.start();
    m_userBackCheck.start();
    setLocked(true, QStringLiteral("logind Lock"));
}

void LogindSessionMonitor::checkUserBack()
{
    const std::optional<quint32> idle =
        m_lockRequestOnly ? m_idle->idleMilliseconds() : std::nullopt;
    if (!m_lockRequestOnly) {
        m_userBackCheck.stop();
    } else if (idle && *idle + kLockRequestGraceMs < m_sinceLockRequest.elapsed()) {
        setLocked(false, QStringLiteral("input after a lock request that no locker confirmed"));
    }
}

void LogindSessionMonitor::onSessionUnlock()
{
    setLocked(false, QStringLiteral("logind Unlock"));
}

void LogindSessionMonitor::onScreenSaverActiveChanged(bool active)
{
    setLocked(active, QStringLiteral("org.freedesktop.ScreenSaver.ActiveChanged"));
}

void LogindSessionMonitor::setLocked(bool locked, const QString& source)
{
    // Whatever the source, the state is known now; a request is no longer waiting for it.
    if (source != QLatin1String("logind Lock")) {
        m_lockRequestOnly = false;
        m_userBackCheck.stop();
    }
    if (locked != m_locked) {
        m_locked = locked;
        emit lockChanged(locked, source);
    }
}

void LogindSessionMonitor::onPrepareForSleep(bool start)
{
    m_goingToSleep = start;
    emit sleepChanged(start);
    if (start) {
        if (m_sleepDelay.isValid()) {
            qDebug() << "logind: sleep delayed until the camera has stopped";
            m_sleepDeadline.start();
        }
    } else {
        m_sleepDeadline.stop();
        takeSleepDelay();
    }
}

void LogindSessionMonitor::releaseSleepDelay()
{
    m_sleepDeadline.stop();
    if (m_goingToSleep && m_sleepDelay.isValid()) {
        m_sleepDelay = QDBusUnixFileDescriptor();
        qDebug() << "logind: sleep delay released";
    }
}

void LogindSessionMonitor::takeSleepDelay()
{
    QDBusMessage message = managerCall(QStringLiteral("Inhibit"));
    message << QStringLiteral("sleep") << QStringLiteral("Winkwell")
            << QStringLiteral("Pausing reminders and the camera before sleep")
            << QStringLiteral("delay");
    call(
        message,
        [this](const QDBusMessage& reply) {
            const auto fd = reply.arguments().value(0).value<QDBusUnixFileDescriptor>();
            // Granted too late: the machine is already on its way to sleep.
            if (!m_goingToSleep && fd.isValid()) {
                m_sleepDelay = fd;
            }
        },
        [this](const QDBusError& error) {
            if (serviceMissing(error)) {
                reportLogindAbsent(error);
            } else {
                qDebug().noquote() << "logind Inhibit(sleep, delay) failed:" << error.message()
                                   << "- the pause may come after the machine sleeps";
            }
        });
}

std::unique_ptr<SessionMonitor> createSessionMonitor()
{
    return std::make_unique<LogindSessionMonitor>(QDBusConnection::systemBus(),
                                                  QDBusConnection::sessionBus(), createIdleMonitor);
}
