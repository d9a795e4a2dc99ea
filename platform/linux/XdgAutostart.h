#pragma once

#include "platform/Autostart.h"

// $XDG_CONFIG_HOME/autostart/winkwell.desktop (~/.config/autostart when unset), the entry every
// freedesktop session starts at log-in.
class XdgAutostart : public Autostart
{
public:
    // An empty folder means the user's autostart folder.
    explicit XdgAutostart(QString folder = QString());

    bool enable(const QString& programPath) override;
    bool disable() override;
    bool isEnabled() const override;

    QString entryPath() const;
    // The Exec value that runs this program with "/m", quoted for any path.
    static QString execLine(const QString& programPath);

private:
    QString m_folder;
};
