#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QVariantMap>

// Follows the properties of one interface of one D-Bus object: all of them when the watcher
// starts and each time the service comes (back) onto the bus, then every change. A service
// that is missing, leaves, or does not answer in time makes one log line per absence, naming
// what goes unwatched. Nothing here waits for a reply.
class DBusPropertyWatcher : public QObject
{
    Q_OBJECT

public:
    struct Target
    {
        QString service;
        QString path;
        QString interface;
    };

    // label names the service in the log ("UPower"), unwatched what is lost without it.
    DBusPropertyWatcher(const QDBusConnection& bus, Target target, QString label, QString unwatched,
                        QObject* parent = nullptr);

    void start();

    // A reply is given up on after this long.
    static constexpr int callTimeoutMs = 2000;

signals:
    // The first reading holds every property, later ones only those that changed.
    void propertiesChanged(const QVariantMap& properties);
    void serviceLost();

private slots:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);
    void onServiceRegistered();
    void onServiceUnregistered();

private:
    void readAll();
    void reportAbsent(const QString& why);

    QDBusConnection m_bus;
    Target m_target;
    QString m_label;
    QString m_unwatched;
    QDBusServiceWatcher m_serviceWatcher;
    bool m_absenceReported = false;
};
