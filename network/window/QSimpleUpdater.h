#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class Updater;

// One Updater per update-definition address, created on first use.
class QSimpleUpdater : public QObject
{
    Q_OBJECT

public:
    explicit QSimpleUpdater(QObject* parent = nullptr);
    ~QSimpleUpdater() override;

    // The program's registry; deleted when the application is about to quit.
    static QSimpleUpdater* getInstance();

    Updater* getUpdater(const QString& url);

public slots:
    void checkForUpdates(const QString& url);
    void setModuleName(const QString& url, const QString& name);
    void setNotifyOnUpdate(const QString& url, bool notify);
    void setNotifyOnFinish(const QString& url, bool notify);
    void setPlatformKey(const QString& url, const QString& platform);
    void setModuleVersion(const QString& url, const QString& version);
    void setUserAgentString(const QString& url, const QString& agent);
    void setEnableBeta(const QString& url, bool isEnabled);

signals:
    void checkingFinished(QString url);
    void downloadFinished(QString url, QString filepath);

private:
    QStringList m_urls;
    QList<Updater*> m_updaters;
};
