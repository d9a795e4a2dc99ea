#pragma once

#include "common/Error.h"

#include <QObject>
#include <QString>

// The research-upload controller. Until uploads are built it takes part in start-up and shutdown
// and answers its requests by logging; nothing leaves the machine.
class ServerController : public QObject
{
    Q_OBJECT

public:
    explicit ServerController(QObject* parent = nullptr);

public slots:
    void init();
    void quit();
    void startResearchUpload();
    void uploadStats(QString* json);
    void verifyProxySettings(QString server, quint16 port, QString user, QString password);

signals:
    void serverControllerInitialized();
    void finished();
    void lastDateTimeObtained(QString lastDateTime, QString userId);
    void proxySettingsChanged(QString server, quint16 port, QString user, QString password);
    void proxySettingsValidated(bool valid);
    void noInternetConnection();
    void errorOccurred(Error error);
};
