#pragma once

#include "platform/PowerMonitor.h"
#include "platform/linux/DBusPropertyWatcher.h"

// OnBattery and LidIsClosed from UPower, the active profile from power-profiles-daemon, both on
// the system bus. Either service may be missing or come and go; its values are then unknown.
class UPowerMonitor : public PowerMonitor
{
    Q_OBJECT

public:
    explicit UPowerMonitor(const QDBusConnection& systemBus);

    std::optional<bool> onBattery() const override { return m_onBattery; }
    std::optional<bool> powerSaverOn() const override { return m_powerSaverOn; }

private:
    void applyUPower(const QVariantMap& properties);
    void applyProfiles(const QVariantMap& properties);

    DBusPropertyWatcher m_upower;
    DBusPropertyWatcher m_profiles;
    std::optional<bool> m_onBattery;
    std::optional<bool> m_lidClosed;
    bool m_lidPresent = true;
    std::optional<bool> m_powerSaverOn;
};
