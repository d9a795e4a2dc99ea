#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");
}

SingleInstance::SingleInstance(const QString& key, const QString& folder, QObject* parent)
    : QObject(parent)
{
    QDir().mkpath(folder);
    const QString base = folder + QStringLiteral("/winkwell-") + key;
    m_socketPath = base + QStringLiteral(".socket");
    m_lock = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    // A lock held by a dead process is stale at once; a live holder is never stale.
    m_lock->setStaleLockTime(0);
    m_primary = m_lock->tryLock(100);
    if (!m_primary && m_lock->error() != QLockFile::LockFailedError) {
        // The lock cannot be made at all (an unwritable folder): run rather than refuse to.
        qDebug() << "SingleInstance: no lock file in" << folder << "- running unguarded";
        m_primary = true;
    }
}

void SingleInstance::listen()
{
    if (!m_primary || m_server.isListening()) {
        return;
    }
    // Only the lock holder may clear a socket file that a crashed primary left behind.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_socketPath)) {
        qDebug() << "SingleInstance: cannot listen on" << m_socketPath << m_server.errorString();
    }
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
}

SingleInstance::~SingleInstance()
{
    m_server.close();
    if (m_primary) {
        m_lock->unlock();
    }
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains(kActivate.trimmed())) {
                emit instanceStarted();
            }
        });
    }
}

bool SingleInstance::notifyPrimary(int timeoutMs)
{
    // The primary may still be starting: keep trying until the deadline.
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())))) {
            socket.write(kActivate);
            const bool sent = socket.waitForBytesWritten(
                static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
            socket.disconnectFromServer();
            return sent;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(50);
    }
}

QString SingleInstance::keyFor(const QString& applicationName, const QString& organisation,
                               const QString& version, const QString& executablePath)
{
    const QByteArray identity =
        (applicationName + '|' + organisation + '|' + version + '|' + executablePath.toLower())
            .toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex().left(16));
}

QString SingleInstance::keyForProgram(const QString& executablePath)
{
    return keyFor(QFileInfo(executablePath).fileName(), QString(), QString(), executablePath);
}

QString SingleInstance::defaultFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder;
}
