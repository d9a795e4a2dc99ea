#include "UPowerMonitor.h"

#include <QDebug>

namespace {

// A property of the expected type, or empty with a log line: a service sending something else
// is ignored rather than guessed at.
template <typename T>
std::optional<T> typedProperty(const QVariantMap& properties, const QString& name,
                               const char* service)
{
    const auto found = properties.constFind(name);
    if (found == properties.constEnd()) {
        return std::nullopt;
    }
    if (found->userType() != qMetaTypeId<T>()) {
        qWarning().noquote() << service << name << "has an unexpected type" << found->typeName()
                             << "and is ignored";
        return std::nullopt;
    }
    return found->value<T>();
}

// Stores value and emits it when it is known and differs from what was stored.
template <typename Signal>
void update(std::optional<bool>& stored, std::optional<bool> value, PowerMonitor* monitor,
            Signal signal)
{
    if (value && stored != value) {
        stored = value;
        emit(monitor->*signal)(*value);
    }
}

} // namespace

UPowerMonitor::UPowerMonitor(const QDBusConnection& systemBus)
    : m_upower(systemBus,
               {QStringLiteral("org.freedesktop.UPower"), QStringLiteral("/org/freedesktop/UPower"),
                QStringLiteral("org.freedesktop.UPower")},
               QStringLiteral("UPower"), QStringLiteral("battery and lid are")),
      m_profiles(systemBus,
                 {QStringLiteral("net.hadess.PowerProfiles"),
                  QStringLiteral("/net/hadess/PowerProfiles"),
                  QStringLiteral("net.hadess.PowerProfiles")},
                 QStringLiteral("power-profiles-daemon"), QStringLiteral("power saver is"))
{
    connect(&m_upower, &DBusPropertyWatcher::propertiesChanged, this, &UPowerMonitor::applyUPower);
    connect(&m_upower, &DBusPropertyWatcher::serviceLost, this, [this] {
        m_onBattery.reset();
        m_lidClosed.reset();
        m_lidPresent = true;
    });
    connect(&m_profiles, &DBusPropertyWatcher::propertiesChanged, this,
            &UPowerMonitor::applyProfiles);
    connect(&m_profiles, &DBusPropertyWatcher::serviceLost, this,
            [this] { m_powerSaverOn.reset(); });
    m_upower.start();
    m_profiles.start();
}

void UPowerMonitor::applyUPower(const QVariantMap& properties)
{
    update(m_onBattery, typedProperty<bool>(properties, QStringLiteral("OnBattery"), "UPower"),
           this, &PowerMonitor::onBatteryChanged);
    // A machine without a lid reports it open; only a lid that exists is followed.
    if (const auto present =
            typedProperty<bool>(properties, QStringLiteral("LidIsPresent"), "UPower")) {
        m_lidPresent = *present;
    }
    if (!m_lidPresent) {
        return;
    }
    update(m_lidClosed, typedProperty<bool>(properties, QStringLiteral("LidIsClosed"), "UPower"),
           this, &PowerMonitor::lidClosedChanged);
}

void UPowerMonitor::applyProfiles(const QVariantMap& properties)
{
    const auto profile = typedProperty<QString>(properties, QStringLiteral("ActiveProfile"),
                                                "power-profiles-daemon");
    if (profile) {
        update(m_powerSaverOn, *profile == QLatin1String("power-saver"), this,
               &PowerMonitor::powerSaverChanged);
    }
}

std::unique_ptr<PowerMonitor> createPowerMonitor()
{
    return std::make_unique<UPowerMonitor>(QDBusConnection::systemBus());
}
