#pragma once

#include <QObject>
#include <memory>
#include <optional>

// Power source, laptop lid and the system's power-saving mode. Each is sent once when first
// known and then on every change.
class PowerMonitor : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The last known values; empty while the system gives none.
    virtual std::optional<bool> onBattery() const = 0;
    virtual std::optional<bool> powerSaverOn() const = 0;

signals:
    void onBatteryChanged(bool onBattery);
    void lidClosedChanged(bool closed);
    void powerSaverChanged(bool on);
};

// UPower and power-profiles-daemon on Linux.
std::unique_ptr<PowerMonitor> createPowerMonitor();
