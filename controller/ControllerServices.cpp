#include "controller/ControllerServices.h"

#include "controller/SystemSchedulerClock.h"
#include "platform/CameraCatalog.h"
#include "platform/IdleMonitor.h"

ControllerServices ControllerServices::system()
{
    ControllerServices services;
    services.clock = std::make_shared<SystemSchedulerClock>();
    services.idleMonitor = createIdleMonitor();
    services.cameras = createCameraCatalog();
    return services;
}
