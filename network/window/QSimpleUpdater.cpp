#include "QSimpleUpdater.h"

#include "Updater.h"

#include <QCoreApplication>
#include <QPointer>

QSimpleUpdater::QSimpleUpdater(QObject* parent) : QObject(parent)
{
}

QSimpleUpdater::~QSimpleUpdater() = default;

QSimpleUpdater* QSimpleUpdater::getInstance()
{
    static QPointer<QSimpleUpdater> instance;
    if (!instance) {
        instance = new QSimpleUpdater();
        // Its download window must go before the application object does.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, instance,
                         &QObject::deleteLater);
    }
    return instance;
}

Updater* QSimpleUpdater::getUpdater(const QString& url)
{
    const int index = m_urls.indexOf(url);
    if (index >= 0) {
        return m_updaters.at(index);
    }
    auto* updater = new Updater(this);
    updater->setUrl(url);
    m_urls.append(url);
    m_updaters.append(updater);
    connect(updater, &Updater::checkingFinished, this, &QSimpleUpdater::checkingFinished);
    connect(updater, &Updater::downloadFinished, this, &QSimpleUpdater::downloadFinished);
    return updater;
}

void QSimpleUpdater::checkForUpdates(const QString& url)
{
    getUpdater(url)->checkForUpdates();
}

void QSimpleUpdater::setModuleName(const QString& url, const QString& name)
{
    getUpdater(url)->setModuleName(name);
}

void QSimpleUpdater::setNotifyOnUpdate(const QString& url, bool notify)
{
    getUpdater(url)->setNotifyOnUpdate(notify);
}

void QSimpleUpdater::setNotifyOnFinish(const QString& url, bool notify)
{
    getUpdater(url)->setNotifyOnFinish(notify);
}

void QSimpleUpdater::setPlatformKey(const QString& url, const QString& platform)
{
    getUpdater(url)->setPlatformKey(platform);
}

void QSimpleUpdater::setModuleVersion(const QString& url, const QString& version)
{
    getUpdater(url)->setModuleVersion(version);
}

void QSimpleUpdater::setUserAgentString(const QString& url, const QString& agent)
{
    getUpdater(url)->setUserAgentString(agent);
}

void QSimpleUpdater::setEnableBeta(const QString& url, bool isEnabled)
{
    getUpdater(url)->setBetaRequired(isEnabled);
}
