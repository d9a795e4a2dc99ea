#include "ServerController.h"

#include <QDebug>

ServerController::ServerController(QObject* parent) : QObject(parent)
{
}

void ServerController::init()
{
    qDebug() << "ServerController::init()";
    emit serverControllerInitialized();
}

void ServerController::quit()
{
    qDebug() << "ServerController::quit()";
    emit finished();
}

void ServerController::startResearchUpload()
{
    qDebug() << "ServerController::startResearchUpload() research upload not available";
}

void ServerController::uploadStats(QString* json)
{
    qDebug() << "ServerController::uploadStats()" << (json ? json->size() : 0)
             << "characters not sent";
}

void ServerController::verifyProxySettings(QString server, quint16 port, QString, QString)
{
    qDebug() << "ServerController::verifyProxySettings()" << server << port;
    emit proxySettingsValidated(false);
}
