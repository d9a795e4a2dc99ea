#include "UpdateTransfer.h"

#include "network/Endpoints.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>

namespace {
constexpr int kTransferTimeoutMs = 60000;
// A redirect or an error page says what it has to say in far less.
constexpr qint64 kMaxPageBytes = 1 << 20;

int statusOf(QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}
} // namespace

UpdateTransfer::UpdateTransfer(QObject* parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this))
{
}

UpdateTransfer::~UpdateTransfer()
{
    abort();
}

void UpdateTransfer::start(const QUrl& url, const QString& filePath)
{
    abort();
    m_filePath = filePath;
    m_body.clear();
    m_received = 0;
    m_redirects = 0;
    request(url);
}

void UpdateTransfer::request(const QUrl& url)
{
    if (url.scheme() != QLatin1String("https")) {
        fail(QStringLiteral("%1 is no https address").arg(url.toString()));
        return;
    }
    if (!m_filePath.isEmpty()) {
        m_file.close();
        m_file.setFileName(m_filePath);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            fail(QStringLiteral("cannot write %1: %2").arg(m_filePath, m_file.errorString()));
            return;
        }
    }
    m_body.clear();
    m_received = 0;
    m_discarded = 0;
    QNetworkRequest request(url);
    if (!m_userAgent.isEmpty()) {
        request.setRawHeader("User-Agent", m_userAgent);
    }
    request.setSslConfiguration(Endpoints::tlsConfiguration());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(kTransferTimeoutMs);
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &UpdateTransfer::readData);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateTransfer::replyFinished);
    connect(m_reply, &QNetworkReply::sslErrors, this, [](const QList<QSslError>& errors) {
        for (const QSslError& error : errors) {
            qDebug() << "Updater: TLS error" << error.errorString();
        }
    });
}

void UpdateTransfer::readData()
{
    QNetworkReply* reply = m_reply;
    if (!reply || sender() != reply) {
        return;
    }
    const int status = statusOf(reply);
    if (status < 200 || status >= 300) {
        // A redirect's or an error page's body is no part of the answer, and no endless one.
        m_discarded += reply->readAll().size();
        const qint64 limit = std::min(m_maxBytes, kMaxPageBytes);
        if (m_discarded > limit) {
            fail(QStringLiteral("an error page larger than %1 bytes").arg(limit));
        }
        return;
    }
    const QByteArray data = reply->readAll();
    m_received += data.size();
    if (m_received > m_maxBytes) {
        fail(QStringLiteral("the answer is larger than %1 bytes").arg(m_maxBytes));
        return;
    }
    if (m_file.isOpen()) {
        if (m_file.write(data) != data.size()) {
            fail(QStringLiteral("cannot write %1: %2").arg(m_filePath, m_file.errorString()));
            return;
        }
    } else {
        m_body += data;
    }
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    emit progress(m_received, length.isValid() ? length.toLongLong() : -1);
}

void UpdateTransfer::replyFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply || sender() != reply) {
        return;
    }
    readData();
    if (!m_reply) {
        return; // failed while reading
    }
    const int status = statusOf(reply);
    if (isRedirect(status)) {
        const QUrl target = reply->url().resolved(
            reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl());
        closeReply();
        if (++m_redirects > kMaxRedirects) {
            fail(QStringLiteral("more than %1 redirects").arg(kMaxRedirects));
            return;
        }
        if (target.scheme() != QLatin1String("https")) {
            fail(QStringLiteral("a redirect away from https to %1 refused").arg(target.toString()));
            return;
        }
        qDebug() << "Updater: redirected to" << target.toString();
        request(target);
        return;
    }
    if (reply->error() != QNetworkReply::NoError || status < 200 || status >= 300) {
        fail(QStringLiteral("%1 (status %2)").arg(reply->errorString()).arg(status));
        return;
    }
    closeReply();
    if (m_file.isOpen()) {
        m_file.close();
        if (m_file.error() != QFileDevice::NoError) {
            fail(QStringLiteral("cannot write %1: %2").arg(m_filePath, m_file.errorString()));
            return;
        }
    }
    emit finished(QString());
}

void UpdateTransfer::closeReply()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}

void UpdateTransfer::abort()
{
    closeReply();
    if (m_file.isOpen()) {
        m_file.close();
        m_file.remove();
    }
}

void UpdateTransfer::fail(const QString& problem)
{
    abort();
    if (!m_filePath.isEmpty()) {
        QFile::remove(m_filePath);
    }
    m_body.clear();
    emit finished(problem.isEmpty() ? QStringLiteral("failed") : problem);
}
