#pragma once

#include <QString>
#include <memory>

// Starting the program with the user's desktop session, hidden in the tray ("/m").
class Autostart
{
public:
    virtual ~Autostart() = default;
    // Registers the program at this absolute path; false (and logged) when it cannot be written.
    virtual bool enable(const QString& programPath) = 0;
    // Removes the registration; true when none is left.
    virtual bool disable() = 0;
    virtual bool isEnabled() const = 0;
};

// The desktop's own mechanism: an XDG autostart entry on Linux.
std::unique_ptr<Autostart> createAutostart();
