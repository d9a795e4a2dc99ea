#include "Updater.h"

#include "Downloader.h"
#include "network/update/UpdateTransfer.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

namespace {
// A definition lists a few releases; anything much larger is not one.
constexpr qint64 kMaxDefinitionBytes = 1 << 20;
} // namespace

Updater::Updater(QObject* parent)
    : QObject(parent),
#ifdef Q_OS_WIN
      m_platformKey(QStringLiteral("windows")),
#else
      m_platformKey(QStringLiteral("linux")),
#endif
      m_moduleName(QCoreApplication::applicationName()),
      m_moduleVersion(QCoreApplication::applicationVersion()), m_transfer(new UpdateTransfer(this)),
      m_downloader(new Downloader())
{
    m_transfer->setMaxBytes(kMaxDefinitionBytes);
    setUserAgentString(
        QStringLiteral("%1/%2 (Qt; QSimpleUpdater)")
            .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()));
    connect(m_transfer, &UpdateTransfer::finished, this, &Updater::onReply);
    connect(m_downloader, &Downloader::downloadFinished, this, &Updater::downloadFinished);
}

Updater::~Updater()
{
    delete m_prompt;
    delete m_downloader;
}

Downloader* Updater::downloader() const
{
    return m_downloader;
}

void Updater::setUrl(QString url)
{
    m_url = std::move(url);
}

void Updater::setModuleName(QString name)
{
    m_moduleName = std::move(name);
}

void Updater::setNotifyOnUpdate(bool notify)
{
    m_notifyOnUpdate = notify;
}

void Updater::setNotifyOnFinish(bool notify)
{
    m_notifyOnFinish = notify;
}

void Updater::setUserAgentString(QString agent)
{
    m_userAgent = std::move(agent);
    m_transfer->setUserAgent(m_userAgent.toUtf8());
    m_downloader->setUserAgentString(m_userAgent);
}

void Updater::setModuleVersion(QString version)
{
    m_moduleVersion = std::move(version);
}

void Updater::setPlatformKey(QString platform)
{
    m_platformKey = std::move(platform);
}

void Updater::setBetaRequired(bool required)
{
    m_betaRequired = required;
}

void Updater::checkForUpdates()
{
    if (m_url.isEmpty()) {
        qDebug() << "Updater: no update address; no check";
        return;
    }
    if (m_transfer->isRunning()) {
        qDebug() << "Updater: a check is already running";
        return;
    }
    qDebug() << "Updater::checkForUpdates()" << m_url;
    m_transfer->start(QUrl(m_url));
}

void Updater::onReply(const QString& problem)
{
    if (!problem.isEmpty()) {
        qDebug() << "Updater: no update, the definition could not be fetched:" << problem;
        setUpdateAvailable(false);
        emit checkingFinished(m_url);
        return;
    }
    const UpdateChoice choice =
        chooseUpdate(m_transfer->body(), m_platformKey, m_moduleVersion, m_betaRequired);
    m_latestVersion = choice.latestVersion;
    if (choice.available) {
        m_release = choice.release;
    }
    qDebug() << "Updater::onReply current version" << m_moduleVersion << "latest version"
             << m_latestVersion;
    qDebug() << "Updater::onReply isBetaRequired" << m_betaRequired << "is update beta"
             << (choice.available && choice.release.beta);
    setUpdateAvailable(choice.available);
    emit checkingFinished(m_url);
}

void Updater::setUpdateAvailable(bool available)
{
    m_updateAvailable = available;
    if (!available || !(m_notifyOnUpdate || m_notifyOnFinish)) {
        return;
    }
    if (m_prompt || m_downloader->isDownloading()) {
        qDebug() << "Updater: the user is already answering or downloading; not asked again";
        return;
    }
    auto* box =
        new QMessageBox(QMessageBox::Information, m_moduleName,
                        tr("Version %1 of %2 has been released!")
                            .arg(m_latestVersion.toHtmlEscaped(), m_moduleName.toHtmlEscaped()),
                        QMessageBox::Yes | QMessageBox::No);
    box->setTextFormat(Qt::RichText);
    box->setInformativeText(tr("Would you like to download the update now (size %1MB)?")
                                .arg(sizeInMbText(m_release.sizeInMb)));
    box->setDefaultButton(QMessageBox::Yes);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    // The release asked about: a check while the box is open may find another.
    connect(box, &QMessageBox::finished, this, [this, asked = m_release](int result) {
        if (result == QMessageBox::Yes) {
            getUpdate(asked);
        }
    });
    m_prompt = box;
    box->show();
}

void Updater::getUpdate(const UpdateRelease& release)
{
    if (release.openUrl.isValid()) {
        qDebug() << "Updater: opening" << release.openUrl.toString();
        QDesktopServices::openUrl(release.openUrl);
        return;
    }
    m_downloader->setUpdateProperties(release.downloadUrl.toString(), release.md5, release.sha256);
    m_downloader->setFileName(release.downloadUrl.fileName());
    m_downloader->startDownload(release.downloadUrl);
}
