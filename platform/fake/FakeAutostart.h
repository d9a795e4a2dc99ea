#pragma once

#include "platform/Autostart.h"

// Remembers what was registered; writable unless a test says otherwise.
class FakeAutostart : public Autostart
{
public:
    QString registeredPath;
    bool writable = true;
    bool switchedOffByTheDesktop = false;

    bool enable(const QString& programPath) override
    {
        if (writable) {
            registeredPath = programPath;
            switchedOffByTheDesktop = false;
        }
        return writable;
    }
    bool refresh(const QString& programPath) override
    {
        if (writable) {
            registeredPath = programPath;
        }
        return writable;
    }
    bool disable() override
    {
        registeredPath.clear();
        return true;
    }
    bool isEnabled() const override { return !registeredPath.isEmpty(); }
};
