#pragma once

#include <QString>
#include <memory>

// Starting the program with the user's desktop session, hidden in the tray ("/m").
class Autostart
{
public:
    virtual ~Autostart() = default;
    // Registers the program at this absolute path, switched on: the user asked for it. False
    // (and logged) when it cannot be written.
    virtual bool enable(const QString& programPath) = 0;
    // At start-up: makes sure a registration exists and names this path. One already there
    // keeps what the desktop's own start-up settings made of it (switched off, for one).
    virtual bool refresh(const QString& programPath) = 0;
    // Removes the registration; true when none is left.
    virtual bool disable() = 0;
    virtual bool isEnabled() const = 0;
};

// The desktop's own mechanism: an XDG autostart entry on Linux.
std::unique_ptr<Autostart> createAutostart();
