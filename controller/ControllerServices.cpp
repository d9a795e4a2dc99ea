#include "controller/ControllerServices.h"

#include "controller/SystemSchedulerClock.h"
#include "platform/Backlight.h"
#include "platform/CameraCatalog.h"
#include "platform/ExternalMonitors.h"
#include "platform/IdleMonitor.h"
#include "platform/MicrophoneUse.h"
#include "platform/ScreenGamma.h"

#include <QStandardPaths>

ControllerServices ControllerServices::system(const QString& dataFolder)
{
    ControllerServices services;
    services.clock = std::make_shared<SystemSchedulerClock>();
    services.idleMonitor = createIdleMonitor();
    services.cameras = createCameraCatalog();
    const QString marker = gammaMarkerPath(dataFolder);
    services.screenGamma = [marker] { return createScreenGamma(marker); };
    services.backlight = [] { return createBacklight(); };
    services.externalMonitors = [] { return createExternalMonitors(); };
    services.microphoneUse = [] { return createMicrophoneUse(); };
    return services;
}

QString ControllerServices::gammaMarkerPath(const QString& dataFolder)
{
    const QString folder =
        dataFolder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + '/'
            : dataFolder;
    return folder + QStringLiteral("gammaramp.saved");
}
