#include "controller/ControllerServices.h"

#include "controller/MultimediaCameraCatalog.h"
#include "controller/SystemSchedulerClock.h"
#include "platform/IdleMonitor.h"

ControllerServices ControllerServices::system()
{
    ControllerServices services;
    services.clock = std::make_shared<SystemSchedulerClock>();
    services.idleMonitor = createSystemIdleMonitor();
    services.cameras = std::make_shared<MultimediaCameraCatalog>();
    return services;
}
