#include "DBusPropertyWatcher.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <utility>

namespace {
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
}

DBusPropertyWatcher::DBusPropertyWatcher(const QDBusConnection& bus, Target target, QString label,
                                         QString unwatched, QObject* parent)
    : QObject(parent), m_bus(bus), m_target(std::move(target)), m_label(std::move(label)),
      m_unwatched(std::move(unwatched)),
      m_serviceWatcher(m_target.service, m_bus,
                       QDBusServiceWatcher::WatchForRegistration |
                           QDBusServiceWatcher::WatchForUnregistration)
{
    connect(&m_serviceWatcher, &QDBusServiceWatcher::serviceRegistered, this,
            &DBusPropertyWatcher::onServiceRegistered);
    connect(&m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this,
            &DBusPropertyWatcher::onServiceUnregistered);
}

void DBusPropertyWatcher::start()
{
    if (!m_bus.isConnected()) {
        reportAbsent(QStringLiteral("there is no system bus"));
        return;
    }
    // Matching on the well-known name keeps this connection alive across restarts of the
    // service; the first argument limits it to the interface followed.
    m_bus.connect(m_target.service, m_target.path, propertiesInterface,
                  QStringLiteral("PropertiesChanged"), {m_target.interface}, QString(), this,
                  SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    readAll();
}

void DBusPropertyWatcher::readAll()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        m_target.service, m_target.path, propertiesInterface, QStringLiteral("GetAll"));
    call << m_target.interface;
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QVariantMap> reply = *finished;
                if (reply.isError()) {
                    reportAbsent(reply.error().name() + QLatin1Char(' ') + reply.error().message());
                    return;
                }
                m_absenceReported = false;
                emit propertiesChanged(reply.value());
            });
}

void DBusPropertyWatcher::onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                              const QStringList& invalidated)
{
    if (interface != m_target.interface) {
        return;
    }
    if (!changed.isEmpty()) {
        emit propertiesChanged(changed);
    }
    // A service may announce only that a value changed; fetch them all again then.
    if (!invalidated.isEmpty()) {
        readAll();
    }
}

void DBusPropertyWatcher::onServiceRegistered()
{
    qDebug().noquote() << m_label << "appeared on the system bus";
    readAll();
}

void DBusPropertyWatcher::onServiceUnregistered()
{
    qDebug().noquote() << m_label << "left the system bus:" << m_unwatched
                       << "not watched until it returns";
    m_absenceReported = true;
    emit serviceLost();
}

void DBusPropertyWatcher::reportAbsent(const QString& why)
{
    if (m_absenceReported) {
        return;
    }
    m_absenceReported = true;
    qDebug().noquote() << m_label << "(" + m_target.service + ") does not answer:" << m_unwatched
                       << "not watched;" << why;
}
