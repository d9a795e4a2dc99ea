#pragma once

// How the desktop's tray reports a click on the icon. XEmbed trays tell a single click from a
// double one; StatusNotifierItem hosts (KDE Plasma, GNOME's AppIndicator extension, Xfce's panel
// plugin) send one activation for a click.
enum class TrayClicks
{
    SingleAndDouble,
    ActivationOnly,
};

// The kind of tray the tray icon lands in, decided as the framework decides it.
TrayClicks trayClicks();
