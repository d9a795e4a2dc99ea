#include "ServerController.h"

#include "CappedAnswer.h"
#include "Endpoints.h"
#include "MachineIdentity.h"
#include "ProxyCredentials.h"
#include "common/SettingsStore.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <utility>

namespace {
// A server that stops answering must not hold its kind of request forever.
constexpr int kTransferTimeoutMs = 60000;
// How much of a server's answer goes into the log.
constexpr int kLoggedAnswer = 500;
// The research server answers with a line of JSON; anything longer than this is no answer of
// it, and is not kept.
constexpr qint64 kMaxAnswerBytes = qint64(64) * 1024;

QString errorName(QNetworkReply::NetworkError e)
{
    const char* key = QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(e);
    return key ? QLatin1String(key) : QString::number(e);
}

// The request never reached a server: no route, no name, nobody listening, no proxy.
bool isUnreachable(QNetworkReply::NetworkError e)
{
    switch (e) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return true;
    default:
        return false;
    }
}

bool isSuccess(QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
}

QByteArray forLog(const QByteArray& answer)
{
    return answer.size() > kLoggedAnswer ? answer.left(kLoggedAnswer) + "…" : answer;
}

// The stored user name or password in clear; empty (and said) when it cannot be read back.
QString storedCredential(const SettingKey& key)
{
    const QString stored = readString(key);
    const std::optional<QString> clear =
        ProxyCredentials::unscramble(stored, MachineIdentity::machineId());
    if (!clear) {
        qDebug() << "ServerController: the stored proxy" << key.name
                 << "cannot be read back (kept on another machine or edited); left empty";
        return QString();
    }
    return *clear;
}
} // namespace

ServerController::ServerController(QObject* parent) : ServerController(Options(), parent)
{
}

ServerController::ServerController(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_credential(Endpoints::researchCredential())
{
}

ServerController::~ServerController()
{
    qDebug() << "ServerController::~ServerController() thread" << QThread::currentThreadId();
}

QByteArray ServerController::lastDateQuery(const QString& pcid)
{
    // QJsonObject would sort the keys; the server expects "pcid" first.
    const QByteArray quoted = QJsonDocument(QJsonArray{pcid}).toJson(QJsonDocument::Compact);
    return "{\"pcid\":" + quoted.mid(1, quoted.size() - 2) + ",\"data\":[]}";
}

void ServerController::init()
{
    qDebug() << "ServerController::init()";
    m_waitTimer = new QTimer(this);
    m_waitTimer->setSingleShot(true);
    m_waitTimer->setInterval(m_options.networkWaitMs);
    connect(m_waitTimer, &QTimer::timeout, this, &ServerController::continueResearchUpload);
    m_manager = new QNetworkAccessManager(this);
    qDebug() << "ServerController research server" << Endpoints::researchStatsUrl().toString();

    applyStoredProxy();

    m_pcid = m_options.pcid.isEmpty() ? MachineIdentity::pcidFor(MachineIdentity::machineId())
                                      : m_options.pcid;
    qDebug() << "ServerController pcid" << m_pcid;
    if (m_pcid.isEmpty()) {
        qDebug() << "ServerController: the system has no machine id; research upload off";
    }
    emit serverControllerInitialized();
    if (m_deferredCandidate) {
        const QNetworkProxy candidate = *std::exchange(m_deferredCandidate, std::nullopt);
        verifyProxySettings(candidate.hostName(), candidate.port(), candidate.user(),
                            candidate.password());
    }
}

void ServerController::applyStoredProxy()
{
    const QString host = readString(SettingKeys::proxyServer);
    const uint port = readSetting(SettingKeys::proxyPort).toUInt();
    if (!host.isEmpty() && port <= 0xffff) {
        const QString user = storedCredential(SettingKeys::proxyUser);
        const QString password = storedCredential(SettingKeys::proxyPassword);
        const QNetworkProxy proxy(QNetworkProxy::HttpProxy, host, static_cast<quint16>(port), user,
                                  password);
        useExplicitProxy(proxy);
        m_acceptedProxy = proxy;
        qDebug() << "ServerController explicit proxy" << host << port << "user"
                 << (user.isEmpty() ? "none" : "given") << "password"
                 << (password.isEmpty() ? "none" : "given");
        emit proxySettingsChanged(host, static_cast<quint16>(port), user, password);
        return;
    }
    if (!host.isEmpty()) {
        qDebug() << "ServerController: stored proxy port" << port
                 << "is out of range; using the system proxy";
    }
    useSystemProxy();
    qDebug() << "ServerController default proxy" << QNetworkProxy::applicationProxy();
    const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(
        QNetworkProxyQuery(Endpoints::researchStatsUrl(), QNetworkProxyQuery::UrlRequest));
    if (!proxies.isEmpty()) {
        const QNetworkProxy& first = proxies.first();
        qDebug() << "list of system proxies" << first.hostName() << "user"
                 << (first.user().isEmpty() ? "none" : "given") << first.port();
    }
}

void ServerController::useSystemProxy()
{
    // In this order: setting the application proxy drops the system configuration.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::DefaultProxy));
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    qDebug() << "ServerController using system proxy"
             << QNetworkProxyFactory::usesSystemConfiguration();
}

void ServerController::useExplicitProxy(const QNetworkProxy& proxy)
{
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QNetworkProxy::setApplicationProxy(proxy);
}

void ServerController::restoreAcceptedProxy()
{
    if (!m_acceptedProxy.hostName().isEmpty()) {
        useExplicitProxy(m_acceptedProxy);
    } else {
        useSystemProxy();
    }
}

QNetworkRequest ServerController::statsRequest() const
{
    QNetworkRequest request(Endpoints::researchStatsUrl());
    request.setRawHeader("Authorization", m_credential);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setSslConfiguration(Endpoints::tlsConfiguration());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(kTransferTimeoutMs);
    return request;
}

void ServerController::watchReply(QNetworkReply* reply, void (ServerController::*onFinished)())
{
    connect(reply, &QNetworkReply::finished, this, onFinished);
    connect(reply, &QNetworkReply::errorOccurred, this, &ServerController::slotError);
    connect(reply, &QNetworkReply::sslErrors, this, &ServerController::slotSslErrors);
    new CappedAnswer(reply, kMaxAnswerBytes);
}

void ServerController::noteReachability(QNetworkReply::NetworkError error, bool atStartup)
{
    if (isUnreachable(error)) {
        if (!atStartup) {
            // After a wake-up the network may simply not be back yet.
            qDebug() << "ServerController: the research server is not reachable; no notice after "
                        "the start-up";
        } else if (!m_offlineReported) {
            m_offlineReported = true;
            emit noInternetConnection();
        }
        return;
    }
    if (m_offlineReported) {
        m_offlineReported = false;
        qDebug() << "ServerController: the research server is reachable again";
        emit internetConnectionRestored();
    }
}

void ServerController::startResearchUpload()
{
    if (!m_waitTimer || m_quitting) {
        qDebug() << "ServerController::startResearchUpload() not running";
        return;
    }
    if (m_waitTimer->isActive()) {
        qDebug() << "ServerController::startResearchUpload() a cycle is already waiting";
        return;
    }
    // The network gets time to come up after start-up or wake-up; other calls go on meanwhile.
    m_waitTimer->start();
}

void ServerController::continueResearchUpload()
{
    if (m_quitting) {
        return;
    }
    qDebug() << "15 seconds waited for network to be on";
    const bool atStartup = std::exchange(m_startupCycle, false);
    if (!readBool(SettingKeys::sendStatistics)) {
        qDebug() << "ServerController: research upload not allowed; nothing sent";
        return;
    }
    if (m_lastDateReply) {
        qDebug() << "ServerController: the previous last-date query is still open";
        return;
    }
    findOutLastUploadedDateTime();
    m_queryAtStartup = atStartup && m_lastDateReply;
}

void ServerController::findOutLastUploadedDateTime()
{
    const QNetworkRequest request = statsRequest();
    if (m_pcid.isEmpty() || !request.url().isValid()) {
        qDebug() << "ServerController: no machine id or no server address; nothing sent";
        return;
    }
    qDebug() << "ServerController::findOutLastUploadedDateTime()";
    m_lastDateReply = m_manager->post(request, lastDateQuery(m_pcid));
    watchReply(m_lastDateReply, &ServerController::processLastDateTime);
}

void ServerController::processLastDateTime()
{
    if (!m_lastDateReply || sender() != m_lastDateReply) {
        return;
    }
    QNetworkReply* reply = m_lastDateReply;
    m_lastDateReply = nullptr;
    reply->deleteLater();
    CappedAnswer* capped = CappedAnswer::of(reply);
    const QByteArray answer = capped->take();
    noteReachability(reply->error(), std::exchange(m_queryAtStartup, false));
    if (capped->cutOff()) {
        qDebug() << "ServerController: the last-date answer is larger than" << capped->maxBytes()
                 << "bytes; cut off, nothing uploaded";
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        // Why is said by slotError already.
        qDebug() << "ServerController: the last-date query failed; nothing uploaded";
        return;
    }
    if (!isSuccess(reply)) {
        qDebug() << "ServerController: the last-date query was answered with status"
                 << reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()
                 << "; nothing uploaded";
        return;
    }
    if (answer.isEmpty()) {
        qDebug() << "ServerController: empty answer to the last-date query; nothing uploaded";
        return;
    }
    // Only an answer that says "nothing" may lead to a full upload; one that cannot be read
    // would send the whole history again in every cycle.
    const QJsonDocument document = QJsonDocument::fromJson(answer);
    const QJsonValue dateTime = document.object().value(QLatin1String("datetime"));
    if (!document.isObject() ||
        !(dateTime.isUndefined() || dateTime.isNull() || dateTime.isString())) {
        qDebug() << "ServerController: the last-date answer is not understood; nothing uploaded:"
                 << forLog(answer);
        return;
    }
    qDebug() << "ServerController::processLastDateTime()" << dateTime.toString();
    emit lastDateTimeObtained(dateTime.toString(), m_pcid);
}

void ServerController::uploadStats(QString* jsonData)
{
    // The text belongs to the measurement store: copied before anything else happens.
    const QByteArray body = jsonData ? jsonData->toUtf8() : QByteArray();
    if (body.isEmpty()) {
        qDebug() << "ServerController::uploadStats() nothing new to upload";
        return;
    }
    if (m_quitting || !m_manager) {
        return;
    }
    if (m_uploadReply) {
        qDebug() << "ServerController::uploadStats() the previous upload is still open; the "
                    "next cycle sends these measurements";
        return;
    }
    // The switch may have been turned off since the query went out.
    if (!readBool(SettingKeys::sendStatistics)) {
        qDebug() << "ServerController: research upload switched off meanwhile; nothing sent";
        return;
    }
    const QNetworkRequest request = statsRequest();
    if (!request.url().isValid()) {
        return;
    }
    qDebug() << "ServerController::uploadStats()" << body.size() << "bytes";
    m_uploadReply = m_manager->post(request, body);
    watchReply(m_uploadReply, &ServerController::dataUploaded);
}

void ServerController::dataUploaded()
{
    if (!m_uploadReply || sender() != m_uploadReply) {
        return;
    }
    QNetworkReply* reply = m_uploadReply;
    m_uploadReply = nullptr;
    reply->deleteLater();
    CappedAnswer* capped = CappedAnswer::of(reply);
    const QByteArray answer = capped->take();
    if (capped->cutOff()) {
        qDebug() << "ServerController: the answer to the upload is larger than"
                 << capped->maxBytes() << "bytes; cut off";
    } else if (!answer.isEmpty()) {
        qDebug() << "ServerController::dataUploaded" << forLog(answer);
    }
    // Nothing is retried: measurements that did not arrive go with a later cycle, because the
    // server's newest date-time did not advance.
}

void ServerController::verifyProxySettings(QString host, quint16 port, QString user,
                                           QString password)
{
    qDebug() << "ServerController::verifyProxySettings" << host << port << "user"
             << (user.isEmpty() ? "none" : "given") << "password"
             << (password.isEmpty() ? "none" : "given");
    if (m_quitting) {
        emit proxySettingsValidated(false);
        return;
    }
    const QNetworkProxy candidate =
        host.isEmpty() ? QNetworkProxy()
                       : QNetworkProxy(QNetworkProxy::HttpProxy, host, port, user, password);
    if (!m_manager) {
        // The proxy window opens before the controllers have started.
        qDebug() << "ServerController: not started yet; the proxy is tried once ready";
        m_deferredCandidate = candidate;
        return;
    }
    // Only the newest candidate is answered.
    dropProbe();
    m_candidate = candidate;
    if (!host.isEmpty()) {
        useExplicitProxy(candidate);
    } else {
        useSystemProxy();
    }
    // A manager of its own: the shared one may remember a proxy's earlier, good password and
    // answer for a wrong one.
    auto* probeManager = new QNetworkAccessManager(this);
    // The probe is the last-date query without the machine's identifier: it says nothing about
    // the user, and only the research server answers it with a JSON object.
    m_probeReply = probeManager->post(statsRequest(), lastDateQuery(QString()));
    watchReply(m_probeReply, &ServerController::proxySettingsVerified);
}

bool ServerController::dropProbe()
{
    if (!m_probeReply) {
        return false;
    }
    QNetworkReply* previous = m_probeReply;
    m_probeReply = nullptr;
    previous->disconnect(this);
    previous->abort();
    previous->manager()->deleteLater();
    return true;
}

void ServerController::cancelProxyCheck()
{
    qDebug() << "ServerController::cancelProxyCheck()";
    if (std::exchange(m_deferredCandidate, std::nullopt)) {
        qDebug() << "ServerController: the proxy that waited for the start is dropped";
        return;
    }
    if (!dropProbe()) {
        qDebug() << "ServerController: no proxy check open; nothing withdrawn";
        return;
    }
    m_candidate = QNetworkProxy();
    restoreAcceptedProxy();
    qDebug() << "ServerController: the proxy check was withdrawn; the accepted proxy is back";
}

void ServerController::proxySettingsVerified()
{
    if (!m_probeReply || sender() != m_probeReply) {
        return;
    }
    QNetworkReply* reply = m_probeReply;
    m_probeReply = nullptr;
    reply->manager()->deleteLater();
    CappedAnswer* capped = CappedAnswer::of(reply);
    const QByteArray answer = capped->take();
    const bool valid =
        !capped->cutOff() && isSuccess(reply) && QJsonDocument::fromJson(answer).isObject();
    // What the user entered decides: with the system's configuration in force the application
    // proxy reads back as the environment's, which must not become an explicit one.
    const QNetworkProxy candidate = std::exchange(m_candidate, QNetworkProxy());
    if (!valid) {
        qDebug() << "ServerController: "
                 << "proxy not valid";
        restoreAcceptedProxy();
        emit proxySettingsValidated(false);
        return;
    }
    if (!storeProxy(candidate)) {
        qDebug() << "ServerController: the proxy works but cannot be stored; the previous "
                    "settings stay";
        restoreAcceptedProxy();
        emit proxySettingsValidated(false);
        return;
    }
    if (candidate.hostName().isEmpty()) {
        useSystemProxy();
    }
    m_acceptedProxy = candidate;
    emit proxySettingsValidated(true);
    // A cycle through the new route.
    startResearchUpload();
}

bool ServerController::storeProxy(const QNetworkProxy& proxy)
{
    const QByteArray machine = MachineIdentity::machineId();
    const QList<QPair<const SettingKey*, QVariant>> values{
        {&SettingKeys::proxyPassword, ProxyCredentials::scramble(proxy.password(), machine)},
        {&SettingKeys::proxyUser, ProxyCredentials::scramble(proxy.user(), machine)},
        {&SettingKeys::proxyServer, proxy.hostName()},
        {&SettingKeys::proxyPort, static_cast<uint>(proxy.port())}};
    // All four in one write: a store that takes only some would pair one proxy's host with
    // another's password.
    const auto store = openSettingsStore();
    QList<QVariant> previous;
    for (const auto& value : values) {
        previous.append(store->value(value.first->path()));
        store->setValue(value.first->path(), value.second);
    }
    store->sync();
    if (store->status() == QSettings::NoError) {
        return true;
    }
    qDebug() << "ServerController: cannot write" << store->fileName();
    // The store keeps unwritten values for the rest of the run and would write them with the
    // next setting that can be written: the previous ones go back.
    for (int i = 0; i < values.size(); ++i) {
        const QString path = values.at(i).first->path();
        if (previous.at(i).isValid()) {
            store->setValue(path, previous.at(i));
        } else {
            store->remove(path);
        }
    }
    return false;
}

void ServerController::slotError(QNetworkReply::NetworkError e)
{
    qDebug() << "ServerController::slotError Network Failure" << errorName(e);
}

void ServerController::slotSslErrors(const QList<QSslError>& eList)
{
    // Not ignored: the request fails, and the log says why.
    for (const QSslError& error : eList) {
        qDebug() << "ServerController::slotSslErrors" << error.errorString();
    }
}

void ServerController::quit()
{
    m_quitting = true;
    m_deferredCandidate.reset();
    if (m_waitTimer) {
        m_waitTimer->stop();
    }
    qDebug() << "ServerController::quit() emitting finish thread" << QThread::currentThreadId();
    emit finished();
}
