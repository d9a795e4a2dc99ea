#include "NetworkWiring.h"

#include "gui/WinkwellGUI.h"
#include "network/ServerController.h"
#include "network/window/UpdateCheck.h"
#include "network/window/WidgetProxy.h"

void connectServerAndProxyWindow(ServerController* server, WidgetProxy* proxyWindow)
{
    QObject::connect(server, &ServerController::proxySettingsChanged, proxyWindow,
                     &WidgetProxy::setProxySettings);
    QObject::connect(proxyWindow, &WidgetProxy::proxySettingsChanged, server,
                     &ServerController::verifyProxySettings);
    QObject::connect(server, &ServerController::proxySettingsValidated, proxyWindow,
                     &WidgetProxy::saveProxySettings);
    QObject::connect(proxyWindow, &WidgetProxy::proxyCheckCancelled, server,
                     &ServerController::cancelProxyCheck);
}

void connectGuiAndProxyWindow(WinkwellGUI* gui, WidgetProxy* proxyWindow)
{
    QObject::connect(gui, &WinkwellGUI::proxyGuiRequested, proxyWindow,
                     &WidgetProxy::showProxySettings);
}

void connectGuiAndUpdateCheck(WinkwellGUI* gui)
{
    QObject::connect(gui, &WinkwellGUI::updateCheckRequested, gui, [] { UpdateCheck::start(); });
    QObject::connect(gui, &WinkwellGUI::betaUpdatesChanged, gui,
                     [](bool enabled) { UpdateCheck::setBetaEnabled(enabled); });
}
