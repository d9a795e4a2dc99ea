#pragma once

#include "platform/Autostart.h"

// $XDG_CONFIG_HOME/autostart/winkwell.desktop (~/.config/autostart when unset), the entry every
// freedesktop session starts at log-in. The desktop's start-up tools switch it off with
// Hidden=true or X-GNOME-Autostart-enabled=false; those are the user's and stay.
class XdgAutostart : public Autostart
{
public:
    // An empty folder means the user's autostart folder.
    explicit XdgAutostart(QString folder = QString());

    bool enable(const QString& programPath) override;
    bool refresh(const QString& programPath) override;
    bool disable() override;
    bool isEnabled() const override;

    QString entryPath() const;
    // The Exec value that runs this program with "/m", quoted for any path; empty for a path
    // with a control character an entry cannot hold.
    static QString execLine(const QString& programPath);
    // The path a desktop should start: an installed program lives in <prefix>/lib/winkwell/
    // beside its data files and is started through <prefix>/bin/winkwell, its link; any other
    // program (a build) is started where it is.
    static QString launcherPath(const QString& programPath);

private:
    // switchOn: the entry is switched on whatever the desktop made of it; otherwise its lines
    // are kept but for Exec.
    bool write(const QString& programPath, bool switchOn);

    QString m_folder;
};
