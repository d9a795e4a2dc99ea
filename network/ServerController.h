#pragma once

#include "common/Error.h"

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QSslError>
#include <QString>
#include <optional>

class QNetworkAccessManager;
class QNetworkRequest;
class QTimer;

// The research server's only client. Applies the proxy (the one stored, or the system's), tries
// a proxy entered in the proxy window and stores it when it works, and, with the user's consent,
// uploads the measurements the server does not have yet: it asks the server for the newest
// date-time it holds for this machine, and sends every stored measurement taken after it.
// A start-up cycle that cannot reach the server says so (noInternetConnection); the next cycle
// that reaches it takes that back (internetConnectionRestored).
// Lives in the server thread; every slot runs there.
class ServerController : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        // How long a cycle waits after start-up or wake-up for the network to come up.
        int networkWaitMs = 15000;
        // Replaces the pcid derived from the machine id (tests).
        QString pcid;
    };

    explicit ServerController(QObject* parent = nullptr);
    ServerController(Options options, QObject* parent = nullptr);
    ~ServerController() override;

    // The value of the "Authorization" header the stats requests carry.
    const QByteArray& credential() const { return m_credential; }
    // The compact last-date query: {"pcid":"…","data":[]}, the pcid escaped as JSON text.
    static QByteArray lastDateQuery(const QString& pcid);

public slots:
    void init();
    void startResearchUpload();
    void uploadStats(QString* jsonData);
    void verifyProxySettings(QString host, quint16 port, QString user, QString password);
    // The proxy window was closed while its candidate was being tried: the candidate is dropped
    // and the accepted configuration comes back. An answer already on its way still arrives.
    void cancelProxyCheck();
    void quit();

signals:
    void serverControllerInitialized();
    void proxySettingsChanged(QString host, quint16 port, QString user, QString password);
    void proxySettingsValidated(bool valid);
    void lastDateTimeObtained(QString lastDateTime, QString pcid);
    void finished();
    void errorOccurred(Error error);
    // Only for the start-up cycle: a later one may run before the network is back.
    void noInternetConnection();
    // A cycle reached the research server after noInternetConnection().
    void internetConnectionRestored();

private slots:
    void continueResearchUpload();
    void findOutLastUploadedDateTime();
    void processLastDateTime();
    void dataUploaded();
    void proxySettingsVerified();
    void slotError(QNetworkReply::NetworkError e);
    void slotSslErrors(const QList<QSslError>& eList);

private:
    QNetworkRequest statsRequest() const;
    void watchReply(QNetworkReply* reply, void (ServerController::*onFinished)());
    void applyStoredProxy();
    void useSystemProxy();
    void useExplicitProxy(const QNetworkProxy& proxy);
    void restoreAcceptedProxy();
    bool dropProbe();
    // False when the store cannot be written; it then holds the previous proxy again.
    static bool storeProxy(const QNetworkProxy& proxy);
    void noteReachability(QNetworkReply::NetworkError error, bool atStartup);

    Options m_options;
    QByteArray m_credential;
    QNetworkAccessManager* m_manager = nullptr;
    // At most one reply of each kind in flight.
    QPointer<QNetworkReply> m_probeReply;
    QPointer<QNetworkReply> m_lastDateReply;
    QPointer<QNetworkReply> m_uploadReply;
    // The last explicit proxy loaded or verified; an empty host when the system's is in use.
    QNetworkProxy m_acceptedProxy;
    // The proxy being tried, as the user entered it; an empty host means the system's.
    QNetworkProxy m_candidate;
    // A candidate that came before init(); tried once the controller is ready.
    std::optional<QNetworkProxy> m_deferredCandidate;
    QString m_pcid;
    // A running timer is a cycle waiting for the network; its timeout goes on with the cycle.
    QTimer* m_waitTimer = nullptr;
    // The next cycle is the one of the start-up; the open last-date query belongs to it.
    bool m_startupCycle = true;
    bool m_queryAtStartup = false;
    // noInternetConnection() was said and not yet taken back.
    bool m_offlineReported = false;
    bool m_quitting = false;
};
