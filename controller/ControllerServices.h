#pragma once

#include <QString>
#include <functional>
#include <memory>

class SchedulerClock;
class IdleMonitor;
class CameraCatalog;
class ScreenGamma;
class Backlight;
class ExternalMonitors;
class MicrophoneUse;

// What ApplicationController reads from outside: time and timers, the user's idleness, the
// cameras and the screens. Tests hand in simulated ones.
struct ControllerServices
{
    std::shared_ptr<SchedulerClock> clock;
    std::shared_ptr<IdleMonitor> idleMonitor;
    std::shared_ptr<CameraCatalog> cameras;
    // Screen control's devices, made on first use in the controller's thread.
    std::function<std::unique_ptr<ScreenGamma>()> screenGamma;
    std::function<std::unique_ptr<Backlight>()> backlight;
    std::function<std::unique_ptr<ExternalMonitors>()> externalMonitors;
    // Which other programs record from a microphone, made in init(); unset: never in a call
    // by the microphone.
    std::function<std::unique_ptr<MicrophoneUse>()> microphoneUse;

    // The real UTC clock and QTimers, the desktop's idle monitor, the system's camera list and
    // screens. dataFolder (ending in '/', empty for the standard one) keeps the saved ramps.
    static ControllerServices system(const QString& dataFolder = QString());
    // The file that keeps the screen's own gamma ramps while one of the program's is loaded.
    static QString gammaMarkerPath(const QString& dataFolder = QString());
};
