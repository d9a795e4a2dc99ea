#include "NetTestSupport.h"

#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSslSocket>
#include <QTcpSocket>
#include <memory>
#include <utility>

namespace {

QString run(const QString& directory, const QStringList& arguments)
{
    QProcess openssl;
    openssl.setWorkingDirectory(directory);
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        return QStringLiteral("openssl %1: %2")
            .arg(arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(openssl.readAll()));
    }
    return QString();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char* const kNames = "subjectAltName=DNS:localhost,IP:127.0.0.1,DNS:research.winkwell.test,"
                           "DNS:updates.winkwell.test";

} // namespace

QString TestPki::create()
{
    if (!m_dir.isValid()) {
        return QStringLiteral("no temporary folder");
    }
    const QString dir = m_dir.path();
    const QStringList ec{QStringLiteral("-newkey"), QStringLiteral("ec"),
                         QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"),
                         QStringLiteral("-nodes")};
    QFile extensions(m_dir.filePath(QStringLiteral("server.ext")));
    if (!extensions.open(QIODevice::WriteOnly)) {
        return QStringLiteral("cannot write server.ext");
    }
    extensions.write(QByteArray(kNames) +
                     "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n");
    extensions.close();
    const QList<QStringList> steps{
        QStringList{"req", "-x509"} + ec +
            QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "3", "-subj",
                        "/CN=Winkwell Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
                        "-addext", "keyUsage=critical,keyCertSign,cRLSign"},
        QStringList{"req"} + ec +
            QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost"},
        QStringList{"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                    "-CAcreateserial", "-out", "server.pem", "-days", "3", "-extfile",
                    "server.ext"},
        QStringList{"req", "-x509"} + ec +
            QStringList{"-keyout", "rogue.key", "-out", "rogue.pem", "-days", "3", "-subj",
                        "/CN=localhost", "-addext", QLatin1String(kNames)}};
    for (const QStringList& step : steps) {
        const QString problem = run(dir, step);
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    serverCertificate = QSslCertificate(readFile(m_dir.filePath("server.pem")), QSsl::Pem);
    serverKey = QSslKey(readFile(m_dir.filePath("server.key")), QSsl::Ec, QSsl::Pem);
    rogueCertificate = QSslCertificate(readFile(m_dir.filePath("rogue.pem")), QSsl::Pem);
    rogueKey = QSslKey(readFile(m_dir.filePath("rogue.key")), QSsl::Ec, QSsl::Pem);
    if (serverCertificate.isNull() || serverKey.isNull() || rogueCertificate.isNull() ||
        rogueKey.isNull()) {
        return QStringLiteral("the generated certificates or keys do not load");
    }
    return QString();
}

TestHttpsServer::TestHttpsServer(QSslCertificate certificate, QSslKey key)
    : m_certificate(std::move(certificate)), m_key(std::move(key))
{
}

bool TestHttpsServer::start()
{
    return listen(QHostAddress::LocalHost, 0);
}

QString TestHttpsServer::hostAndPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(serverPort());
}

QString TestHttpsServer::url(const QString& path) const
{
    return QStringLiteral("https://") + hostAndPort() + path;
}

void TestHttpsServer::setIdentity(QSslCertificate certificate, QSslKey key)
{
    m_certificate = std::move(certificate);
    m_key = std::move(key);
}

void TestHttpsServer::releaseHeld()
{
    const QList<std::function<void()>> held = std::exchange(m_held, {});
    for (const auto& answer : held) {
        answer();
    }
}

namespace {

// Reads one request from buffer; false while it is incomplete.
bool parseRequest(QByteArray& buffer, HttpRequest& request)
{
    const int end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        return false;
    }
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.path = first.value(1);
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines.at(i).indexOf(':');
        if (colon > 0) {
            request.headers.insert(lines.at(i).left(colon).trimmed().toLower(),
                                   lines.at(i).mid(colon + 1).trimmed());
        }
    }
    const int length = request.headers.value("content-length", "0").toInt();
    if (buffer.size() < end + 4 + length) {
        return false;
    }
    request.body = buffer.mid(end + 4, length);
    buffer.remove(0, end + 4 + length);
    return true;
}

QByteArray head(const HttpResponse& response, qint64 length)
{
    QByteArray text = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
    for (const auto& header : response.headers) {
        text += header.first + ": " + header.second + "\r\n";
    }
    if (response.sendLength) {
        text += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    return text + "Connection: close\r\n\r\n";
}

} // namespace

void TestHttpsServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setLocalCertificate(m_certificate);
    socket->setPrivateKey(m_key);
    socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    auto buffer = std::make_shared<QByteArray>();
    auto remaining = std::make_shared<qint64>(0);
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, QOverload<const QList<QSslError>&>::of(&QSslSocket::sslErrors), this,
            [this](const QList<QSslError>&) { ++handshakeFailures; });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this, socket](auto error) {
        if (error == QAbstractSocket::SslHandshakeFailedError ||
            (!socket->isEncrypted() && error == QAbstractSocket::RemoteHostClosedError)) {
            ++handshakeFailures;
        }
    });
    const auto writeFiller = [socket, remaining] {
        while (*remaining > 0 &&
               socket->encryptedBytesToWrite() + socket->bytesToWrite() < 262144) {
            const qint64 chunk = std::min<qint64>(*remaining, 65536);
            socket->write(QByteArray(static_cast<int>(chunk), 'x'));
            *remaining -= chunk;
        }
        if (*remaining == 0) {
            socket->disconnectFromHost();
        }
    };
    connect(socket, &QSslSocket::encryptedBytesWritten, socket, [remaining, writeFiller] {
        if (*remaining > 0) {
            writeFiller();
        }
    });
    connect(socket, &QSslSocket::readyRead, this, [this, socket, buffer, remaining, writeFiller] {
        buffer->append(socket->readAll());
        HttpRequest request;
        if (!parseRequest(*buffer, request)) {
            return;
        }
        requests.append(request);
        const HttpResponse response = handler ? handler(request) : HttpResponse{404, {}, {}};
        const auto answer = [socket = QPointer<QSslSocket>(socket), response, remaining,
                             writeFiller] {
            if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
                return; // the client gave up waiting
            }
            if (response.fillerBytes > 0) {
                socket->write(head(response, response.fillerBytes));
                *remaining = response.fillerBytes;
                writeFiller();
                return;
            }
            socket->write(head(response, response.body.size()) + response.body);
            socket->disconnectFromHost();
        };
        emit requestReceived();
        if (holdAnswers) {
            m_held.append(answer);
        } else {
            answer();
        }
    });
    socket->startServerEncryption();
}

bool TestHttpProxy::start()
{
    return listen(QHostAddress::LocalHost, 0);
}

void TestHttpProxy::requireCredentials(const QByteArray& userAndPassword)
{
    m_expected = userAndPassword.isEmpty() ? QByteArray() : "Basic " + userAndPassword.toBase64();
}

void TestHttpProxy::incomingConnection(qintptr descriptor)
{
    auto* client = new QTcpSocket(this);
    if (!client->setSocketDescriptor(descriptor)) {
        delete client;
        return;
    }
    auto buffer = std::make_shared<QByteArray>();
    auto target = std::make_shared<QTcpSocket*>(nullptr);
    connect(client, &QTcpSocket::disconnected, client, [client, target] {
        if (*target) {
            (*target)->disconnectFromHost();
        }
        client->deleteLater();
    });
    connect(client, &QTcpSocket::readyRead, this, [this, client, buffer, target] {
        if (*target) {
            (*target)->write(client->readAll());
            return;
        }
        buffer->append(client->readAll());
        HttpRequest request;
        if (!parseRequest(*buffer, request)) {
            return;
        }
        if (request.method != "CONNECT") {
            client->write("HTTP/1.1 405 Not Allowed\r\nConnection: close\r\n\r\n");
            client->disconnectFromHost();
            return;
        }
        if (!m_expected.isEmpty() && request.headers.value("proxy-authorization") != m_expected) {
            ++refusals;
            client->write("HTTP/1.1 407 Proxy Authentication Required\r\n"
                          "Proxy-Authenticate: Basic realm=\"test\"\r\nContent-Length: 0\r\n"
                          "Proxy-Connection: close\r\nConnection: close\r\n\r\n");
            client->disconnectFromHost();
            return;
        }
        // Whatever host was named, the tunnel ends on this machine.
        const quint16 port = request.path.mid(request.path.lastIndexOf(':') + 1).toUShort();
        tunnels.append(request.path);
        auto* upstream = new QTcpSocket(client);
        *target = upstream;
        connect(upstream, &QTcpSocket::connected, client,
                [client] { client->write("HTTP/1.1 200 Connection established\r\n\r\n"); });
        connect(upstream, &QTcpSocket::readyRead, client,
                [client, upstream] { client->write(upstream->readAll()); });
        connect(upstream, &QTcpSocket::disconnected, client,
                [client] { client->disconnectFromHost(); });
        connect(upstream, &QAbstractSocket::errorOccurred, client,
                [client](auto) { client->disconnectFromHost(); });
        upstream->connectToHost(QHostAddress::LocalHost, port);
        if (!buffer->isEmpty()) {
            upstream->write(*buffer);
        }
    });
}

QMutex LogCapture::s_mutex;
QStringList LogCapture::s_lines;
QtMessageHandler LogCapture::s_previous = nullptr;

LogCapture::LogCapture()
{
    QMutexLocker lock(&s_mutex);
    s_lines.clear();
    s_previous = qInstallMessageHandler(&LogCapture::handle);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(s_previous);
}

bool LogCapture::contains(const QString& text) const
{
    QMutexLocker lock(&s_mutex);
    for (const QString& line : s_lines) {
        if (line.contains(text)) {
            return true;
        }
    }
    return false;
}

QString LogCapture::all() const
{
    QMutexLocker lock(&s_mutex);
    return s_lines.join(QLatin1Char('\n'));
}

void LogCapture::handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    {
        QMutexLocker lock(&s_mutex);
        s_lines.append(message);
    }
    // Still printed, so that a failing test shows its story.
    if (s_previous) {
        s_previous(type, context, message);
    }
}
