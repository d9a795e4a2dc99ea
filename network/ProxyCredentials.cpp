#include "ProxyCredentials.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QtEndian>

namespace {
const QLatin1String kPrefix("wk1:");
constexpr int kNonceSize = 8;
constexpr int kTagSize = 4;

QByteArray machineKey(const QByteArray& machineId)
{
    return QMessageAuthenticationCode::hash(machineId, QByteArrayLiteral("winkwell proxy v1"),
                                            QCryptographicHash::Sha256);
}

QByteArray applyKeystream(const QByteArray& key, const QByteArray& nonce, QByteArray data)
{
    for (int offset = 0, block = 0; offset < data.size(); ++block) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(key);
        hash.addData(nonce);
        char counter[4];
        qToBigEndian<quint32>(static_cast<quint32>(block), counter);
        hash.addData(counter, sizeof counter);
        const QByteArray stream = hash.result();
        for (int i = 0; i < stream.size() && offset < data.size(); ++i, ++offset) {
            data[offset] = static_cast<char>(data[offset] ^ stream[i]);
        }
    }
    return data;
}

QByteArray tagOf(const QByteArray& key, const QByteArray& nonce, const QByteArray& scrambled)
{
    return QMessageAuthenticationCode::hash(nonce + scrambled, key, QCryptographicHash::Sha256)
        .left(kTagSize);
}
} // namespace

namespace ProxyCredentials {

QString scramble(const QString& clear, const QByteArray& machineId)
{
    if (clear.isEmpty()) {
        return QString();
    }
    QByteArray nonce(kNonceSize, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(nonce.data()),
                                          kNonceSize / sizeof(quint32));
    const QByteArray key = machineKey(machineId);
    const QByteArray scrambled = applyKeystream(key, nonce, clear.toUtf8());
    return kPrefix +
           QString::fromLatin1((nonce + tagOf(key, nonce, scrambled) + scrambled).toBase64());
}

std::optional<QString> unscramble(const QString& stored, const QByteArray& machineId)
{
    if (stored.isEmpty()) {
        return QString();
    }
    if (!stored.startsWith(kPrefix)) {
        return std::nullopt;
    }
    const auto decoded = QByteArray::fromBase64Encoding(stored.mid(kPrefix.size()).toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() <= kNonceSize + kTagSize) {
        return std::nullopt;
    }
    const QByteArray nonce = decoded.decoded.left(kNonceSize);
    const QByteArray tag = decoded.decoded.mid(kNonceSize, kTagSize);
    const QByteArray scrambled = decoded.decoded.mid(kNonceSize + kTagSize);
    const QByteArray key = machineKey(machineId);
    if (tagOf(key, nonce, scrambled) != tag) {
        return std::nullopt;
    }
    return QString::fromUtf8(applyKeystream(key, nonce, scrambled));
}

} // namespace ProxyCredentials
