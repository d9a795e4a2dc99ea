#include "UpdateCheck.h"

#include "QSimpleUpdater.h"
#include "network/Endpoints.h"

#include <QCoreApplication>
#include <QDebug>

namespace UpdateCheck {

void start()
{
    const QString url = Endpoints::updateDefinitionUrl().toString();
    if (url.isEmpty()) {
        qDebug() << "UpdateCheck: no update address; no check";
        return;
    }
    QSimpleUpdater* updater = QSimpleUpdater::getInstance();
    updater->setPlatformKey(url, QStringLiteral("linux"));
    updater->setModuleVersion(url, QCoreApplication::applicationVersion());
    updater->checkForUpdates(url);
}

void setBetaEnabled(bool enabled)
{
    const QString url = Endpoints::updateDefinitionUrl().toString();
    if (!url.isEmpty()) {
        QSimpleUpdater::getInstance()->setEnableBeta(url, enabled);
    }
}

} // namespace UpdateCheck
