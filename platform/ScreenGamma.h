#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

// One gamma ramp of 256 entries per channel, each 0..65535.
struct GammaRamp
{
    std::array<std::uint16_t, 256> red{};
    std::array<std::uint16_t, 256> green{};
    std::array<std::uint16_t, 256> blue{};
};

// Loads gamma ramps into every active display. The first apply() saves each display's own ramp
// and records it in a marker file, so that a run that dies with a ramp loaded is undone at the
// next start; restoreOriginal() puts the saved ramps back and removes the marker.
class ScreenGamma
{
public:
    virtual ~ScreenGamma() = default;

    // Loads the ramp into every active display, resampled to each one's gamma size. False when
    // no display took it.
    virtual bool apply(const GammaRamp& ramp) = 0;
    // Puts back the ramps saved before the first apply(); true when there was nothing to undo.
    virtual bool restoreOriginal() = 0;
};

// markerPath is the file that holds the saved ramps while a ramp is loaded. If it exists when
// the object is created, a previous run ended with its ramp still loaded: those ramps are put
// back first.
std::unique_ptr<ScreenGamma> createScreenGamma(const QString& markerPath);
