#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QSslCertificate>
#include <QSslKey>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <functional>

// A certificate authority and server identities made with openssl for one test run. The server
// certificate names localhost, 127.0.0.1 and the *.winkwell.test hosts that only the test proxy
// resolves; the rogue one claims the same names but no trusted authority signed it.
class TestPki
{
public:
    // Empty on success, else what went wrong.
    QString create();
    QString caFile() const { return m_dir.filePath(QStringLiteral("ca.pem")); }

    QSslCertificate serverCertificate;
    QSslKey serverKey;
    QSslCertificate rogueCertificate;
    QSslKey rogueKey;

private:
    QTemporaryDir m_dir;
};

struct HttpRequest
{
    QByteArray method;
    QByteArray path;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

struct HttpResponse
{
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    // Without Content-Length: the end of the body is the end of the connection.
    bool sendLength = true;
    // Instead of body: this many filler bytes, written as the client takes them.
    qint64 fillerBytes = 0;
};

// An HTTPS server on 127.0.0.1 that answers each request through a handler and records it. Every
// answer closes its connection.
class TestHttpsServer : public QTcpServer
{
    Q_OBJECT

public:
    TestHttpsServer(QSslCertificate certificate, QSslKey key);
    bool start();
    QString hostAndPort() const;
    QString url(const QString& path) const;
    void setIdentity(QSslCertificate certificate, QSslKey key);
    // Sends the answers held back so far, to the clients still waiting for them.
    void releaseHeld();

    std::function<HttpResponse(const HttpRequest&)> handler;
    QList<HttpRequest> requests;
    int handshakeFailures = 0;
    // While set, answers wait for releaseHeld(): a server that answers late.
    bool holdAnswers = false;

signals:
    void requestReceived();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QSslCertificate m_certificate;
    QSslKey m_key;
    QList<std::function<void()>> m_held;
};

// An HTTP proxy on 127.0.0.1 that tunnels CONNECT requests to 127.0.0.1 whatever host they
// name, so that nothing leaves the machine; optionally it asks for Basic credentials.
class TestHttpProxy : public QTcpServer
{
    Q_OBJECT

public:
    bool start();
    // "user:password", or empty for none.
    void requireCredentials(const QByteArray& userAndPassword);

    QList<QByteArray> tunnels; // the CONNECT targets let through
    int refusals = 0;          // 407 answers

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QByteArray m_expected;
};

// Every log line while alive.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    bool contains(const QString& text) const;
    QString all() const;

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& message);
    static QMutex s_mutex;
    static QStringList s_lines;
    static QtMessageHandler s_previous;
};
