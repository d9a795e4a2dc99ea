#pragma once

#include <QString>
#include <memory>

// Keeps the screen from staying dimmed or tinted when the program dies with a gamma ramp loaded
// (a crash, a kill, a controller that never finished): a guard outside the program notices its
// end and, if the ramps saved in the marker file are still there, puts them back. An orderly end
// has already put them back and removed the marker; then the guard does nothing.
class ScreenGammaGuard
{
public:
    virtual ~ScreenGammaGuard() = default;
};

// Puts back the ramps a previous run left in markerPath, at once, and starts the guard for this
// run. Empty where no guard can be started (the reason is logged); the ramps are then put back at
// the next start.
std::unique_ptr<ScreenGammaGuard> startScreenGammaGuard(const QString& markerPath);
