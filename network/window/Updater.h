#pragma once

#include "network/update/UpdateDefinition.h"

#include <QObject>
#include <QPointer>
#include <QString>

class Downloader;
class QMessageBox;
class UpdateTransfer;

// Fetches one update definition, picks the newest eligible release, and asks the user whether
// to get it: a web page to open, or an installer for the download window.
class Updater : public QObject
{
    Q_OBJECT

public:
    explicit Updater(QObject* parent = nullptr);
    ~Updater() override;

    QString url() const { return m_url; }
    QString platformKey() const { return m_platformKey; }
    QString moduleName() const { return m_moduleName; }
    QString moduleVersion() const { return m_moduleVersion; }
    QString latestVersion() const { return m_latestVersion; }
    QString userAgentString() const { return m_userAgent; }
    bool updateAvailable() const { return m_updateAvailable; }
    bool betaRequired() const { return m_betaRequired; }
    const UpdateRelease& release() const { return m_release; }
    Downloader* downloader() const;

public slots:
    void checkForUpdates();
    void setUrl(QString url);
    void setModuleName(QString name);
    void setNotifyOnUpdate(bool notify);
    void setNotifyOnFinish(bool notify);
    void setUserAgentString(QString agent);
    void setModuleVersion(QString version);
    void setPlatformKey(QString platform);
    void setBetaRequired(bool required);

signals:
    void checkingFinished(QString url);
    void downloadFinished(QString url, QString filepath);

private slots:
    void onReply(const QString& problem);
    void setUpdateAvailable(bool available);

private:
    void getUpdate(const UpdateRelease& release);

    QString m_url;
    QString m_userAgent;
    bool m_notifyOnUpdate = true;
    bool m_notifyOnFinish = false;
    bool m_updateAvailable = false;
    bool m_betaRequired = false;
    QString m_platformKey;
    QString m_moduleName;
    QString m_moduleVersion;
    QString m_latestVersion;
    UpdateRelease m_release;
    UpdateTransfer* m_transfer;
    // A window of its own; deleted with the updater.
    QPointer<Downloader> m_downloader;
    QPointer<QMessageBox> m_prompt;
};
