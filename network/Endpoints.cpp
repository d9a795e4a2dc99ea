#include "Endpoints.h"

#include <QDebug>
#include <QFile>
#include <QSslCertificate>
#include <QSslSocket>

namespace {
// Placeholders until the maker's servers are named; the environment replaces them.
const char* const kResearchServer = "research.winkwell.orvalde.com";
// "Basic " and the server's token: base64 of "winkwell:research-uploads", unpadded.
const char* const kResearchCredential = "Basic d2lua3dlbGw6cmVzZWFyY2gtdXBsb2Fkcw";
const char* const kUpdateDefinition = "https://winkwell.orvalde.com/files/download/updates.json";
const char* const kStatsPath = "/api/0.1/stats";

QString environment(const char* name)
{
    return qEnvironmentVariable(name).trimmed();
}
} // namespace

namespace Endpoints {

QUrl researchStatsUrl()
{
    QString server = environment("WINKWELL_RESEARCH_SERVER");
    if (server.isEmpty()) {
        server = QLatin1String(kResearchServer);
    }
    QUrl url(QStringLiteral("https://") + server);
    if (!url.isValid() || url.host().isEmpty() || !url.path().isEmpty() || url.hasQuery() ||
        !url.userInfo().isEmpty()) {
        qWarning() << "Endpoints: WINKWELL_RESEARCH_SERVER is no host[:port]:" << server
                   << "- research upload off";
        return QUrl();
    }
    url.setPath(QLatin1String(kStatsPath));
    return url;
}

QByteArray researchCredential()
{
    const QString credential = environment("WINKWELL_RESEARCH_CREDENTIAL");
    return credential.isEmpty() ? QByteArray(kResearchCredential) : credential.toUtf8();
}

QUrl updateDefinitionUrl()
{
    const QString text = environment("WINKWELL_UPDATE_URL");
    if (text.isEmpty()) {
        return QUrl(QLatin1String(kUpdateDefinition));
    }
    const QUrl url(text);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty()) {
        qWarning() << "Endpoints: WINKWELL_UPDATE_URL is no https address:" << text
                   << "- update check off";
        return QUrl();
    }
    return url;
}

QSslConfiguration tlsConfiguration()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const QString path = environment("WINKWELL_CA_FILE");
    if (path.isEmpty()) {
        return configuration;
    }
    QFile file(path);
    const QList<QSslCertificate> extra = file.open(QIODevice::ReadOnly)
                                             ? QSslCertificate::fromData(file.readAll(), QSsl::Pem)
                                             : QList<QSslCertificate>();
    if (extra.isEmpty()) {
        qWarning() << "Endpoints: WINKWELL_CA_FILE holds no PEM certificate:" << path;
        return configuration;
    }
    // The explicit list replaces the on-demand loading of the system's roots, so they go in too.
    configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + extra);
    return configuration;
}

} // namespace Endpoints
