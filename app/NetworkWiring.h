#pragma once

class ServerController;
class WidgetProxy;
class WinkwellGUI;

// The proxy window and the server controller: an explicit proxy loaded at start fills the
// window, the window's candidate goes to the controller to be tried (or is withdrawn when the
// window closes first), and the outcome comes back.
// Automatic connections: queued across the server thread.
void connectServerAndProxyWindow(ServerController* server, WidgetProxy* proxyWindow);

// The main window's "PROXY SETTINGS" opens the proxy window.
void connectGuiAndProxyWindow(WinkwellGUI* gui, WidgetProxy* proxyWindow);

// The main window's update-check requests (at the end of its initialisation and on every resume)
// and its beta box reach the update check, which lives in the interface thread with the window.
void connectGuiAndUpdateCheck(WinkwellGUI* gui);
