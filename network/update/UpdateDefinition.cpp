#include "UpdateDefinition.h"

#include "ReleaseVersion.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <optional>

namespace {

bool isHex(const QString& text, int length)
{
    if (text.size() != length) {
        return false;
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!hex) {
            return false;
        }
    }
    return true;
}

// The text under key, or nothing when the key holds something else; a missing key is empty.
std::optional<QString> optionalText(const QJsonObject& element, const char* key)
{
    const QJsonValue value = element.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull()) {
        return QString();
    }
    if (!value.isString()) {
        return std::nullopt;
    }
    return value.toString();
}

// Why the element cannot be offered, or nothing when release holds it.
QString readRelease(const QJsonValue& value, UpdateRelease& release)
{
    if (!value.isObject()) {
        return QStringLiteral("a release that is no object");
    }
    const QJsonObject element = value.toObject();
    const QJsonValue version = element.value(QLatin1String("latest-version"));
    if (!version.isString() || !ReleaseVersion::parse(version.toString())) {
        return QStringLiteral("a release without a readable \"latest-version\"");
    }
    release.version = version.toString();

    const QJsonValue beta = element.value(QLatin1String("beta"));
    if (!beta.isUndefined() && !beta.isNull() && !beta.isBool()) {
        return QStringLiteral("\"beta\" is no true or false");
    }
    release.beta = beta.toBool(false);

    const QJsonValue size = element.value(QLatin1String("size-in-mb"));
    if (!size.isUndefined() && !size.isNull()) {
        const double mb = size.toDouble(-1);
        if (!size.isDouble() || !(mb >= 0 && mb <= 1e6)) {
            return QStringLiteral("\"size-in-mb\" is no size");
        }
        release.sizeInMb = mb;
    }

    const auto download = optionalText(element, "download-url");
    const auto md5 = optionalText(element, "md5");
    const auto sha256 = optionalText(element, "sha256");
    const auto open = optionalText(element, "open-url");
    const auto changelog = optionalText(element, "changelog");
    if (!download || !md5 || !sha256 || !open || !changelog) {
        return QStringLiteral("a text field holds something else");
    }
    release.changelog = *changelog;
    if (!open->isEmpty()) {
        const QUrl url(*open, QUrl::StrictMode);
        if (!url.isValid() ||
            (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
            return QStringLiteral("\"open-url\" is no web address");
        }
        release.openUrl = url;
        return QString();
    }
    const QUrl url(*download, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty()) {
        return QStringLiteral("\"download-url\" is no https address");
    }
    release.downloadUrl = url;
    if (!isHex(*md5, 32)) {
        return QStringLiteral("\"md5\" is no MD5 checksum");
    }
    // Case carries no meaning in hexadecimal.
    release.md5 = md5->toLower();
    if (!sha256->isEmpty() && !isHex(*sha256, 64)) {
        return QStringLiteral("\"sha256\" is no SHA-256 checksum");
    }
    release.sha256 = sha256->toLower();
    return QString();
}

} // namespace

UpdateChoice chooseUpdate(const QByteArray& body, const QString& platformKey,
                          const QString& installedVersion, bool betaRequired)
{
    UpdateChoice choice;
    choice.latestVersion = installedVersion;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qDebug() << "Updater: the update definition is no JSON object:" << error.errorString();
        return choice;
    }
    const QJsonValue updates = document.object().value(QLatin1String("updates"));
    const QJsonValue releases = updates.toObject().value(platformKey);
    if (!updates.isObject() || !releases.isArray()) {
        qDebug() << "Updater: the update definition lists no releases for" << platformKey;
        return choice;
    }
    const QJsonArray list = releases.toArray();
    for (int i = 0; i < list.size(); ++i) {
        UpdateRelease release;
        const QString problem = readRelease(list.at(i), release);
        if (!problem.isEmpty()) {
            qDebug() << "Updater: release" << i << "left out:" << problem;
            continue;
        }
        if (release.beta && !betaRequired) {
            continue;
        }
        if (ReleaseVersion::isNewer(choice.latestVersion, release.version)) {
            choice.latestVersion = release.version;
            choice.release = release;
            choice.available = true;
        }
    }
    choice.available =
        choice.available && ReleaseVersion::isNewer(installedVersion, choice.latestVersion);
    return choice;
}

QString sizeInMbText(double sizeInMb)
{
    if (!(sizeInMb > 0)) {
        return QStringLiteral("0");
    }
    // Up, so that a small installer never reads "0"; the tolerance keeps 0.3 from becoming 0.4.
    const double tenths = std::ceil(sizeInMb * 10 - 1e-6);
    return std::fmod(tenths, 10) == 0 ? QString::number(tenths / 10, 'f', 0)
                                      : QString::number(tenths / 10, 'f', 1);
}

QString checksumProblem(const QString& path, const QString& md5, const QString& sha256)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("the file cannot be read: ") + file.errorString();
    }
    QCryptographicHash md5Hash(QCryptographicHash::Md5);
    QCryptographicHash sha256Hash(QCryptographicHash::Sha256);
    while (!file.atEnd()) {
        const QByteArray block = file.read(1 << 16);
        if (block.isEmpty()) {
            return QStringLiteral("the file cannot be read: ") + file.errorString();
        }
        md5Hash.addData(block);
        sha256Hash.addData(block);
    }
    const QString md5Found = QString::fromLatin1(md5Hash.result().toHex());
    if (md5Found != md5.toLower()) {
        return QStringLiteral("MD5 %1 instead of %2").arg(md5Found, md5);
    }
    const QString sha256Found = QString::fromLatin1(sha256Hash.result().toHex());
    if (!sha256.isEmpty() && sha256Found != sha256.toLower()) {
        return QStringLiteral("SHA-256 %1 instead of %2").arg(sha256Found, sha256);
    }
    return QString();
}
