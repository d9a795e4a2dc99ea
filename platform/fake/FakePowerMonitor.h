#pragma once

#include "platform/PowerMonitor.h"

// Values as a test sets them; a test reports changes by emitting the signals itself.
class FakePowerMonitor : public PowerMonitor
{
public:
    std::optional<bool> battery;
    std::optional<bool> saver;

    std::optional<bool> onBattery() const override { return battery; }
    std::optional<bool> powerSaverOn() const override { return saver; }
};
