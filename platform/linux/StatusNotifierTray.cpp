#include "platform/TrayHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDebug>

// Qt puts its tray icon into a StatusNotifierItem host when org.kde.StatusNotifierWatcher is on
// the session bus and says a host is registered; else it embeds the icon (XEmbed).
TrayClicks trayClicks()
{
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcher).value()) {
        return TrayClicks::SingleAndDouble;
    }
    QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    const bool registered = host.property("IsStatusNotifierHostRegistered").toBool();
    qDebug() << "tray: a StatusNotifierItem host" << (registered ? "is" : "is not") << "registered";
    return registered ? TrayClicks::ActivationOnly : TrayClicks::SingleAndDouble;
}
