#pragma once

#include "platform/ScreenGamma.h"
#include "platform/linux/XcbConnection.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>
#include <xcb/randr.h>

// Gamma ramps through the XRandR CRTC gamma of an X connection of its own. Without a display,
// RandR 1.2 or a CRTC with a gamma ramp (Wayland, for one) nothing is applied: apply() is false
// and restoreOriginal() true.
//
// The marker file is JSON:
//   {"format": "winkwell-gamma", "version": 1,
//    "crtcs": [{"crtc": 63, "size": 256, "red": [...], "green": [...], "blue": [...]}]}
// written with QSaveFile, so that it is either whole or absent.
class RandrScreenGamma : public ScreenGamma
{
public:
    // The safety floor of apply(), in one place. The dimmest, warmest ramp the program makes
    // (4500 K at the lowest dimming level) has the top entries red 44625, green 38068
    // and blue 32800. Its first application moves the green and blue tops by 255, and the
    // factors are single-precision floats; one ramp step (255) below those values absorbs both.
    // A ramp whose entry 255 is below the floor in any channel is refused: it would leave the
    // screen darker than the program ever means to.
    static constexpr std::uint16_t kRampStep = 255;
    static constexpr std::uint16_t kMinimumTopRed = 44625 - kRampStep;
    static constexpr std::uint16_t kMinimumTopGreen = 38068 - kRampStep;
    static constexpr std::uint16_t kMinimumTopBlue = 32800 - kRampStep;
    static bool isSafe(const GammaRamp& ramp);

    // One CRTC's ramp, channels of equal length (the CRTC's gamma size).
    struct CrtcRamp
    {
        xcb_randr_crtc_t crtc = XCB_NONE;
        std::vector<std::uint16_t> red;
        std::vector<std::uint16_t> green;
        std::vector<std::uint16_t> blue;
    };

    // The 256 entries resampled to `size` entries by linear interpolation; 256 gives the ramp
    // entry for entry. The last entry is always ramp[255].
    static std::vector<std::uint16_t> resample(const std::array<std::uint16_t, 256>& channel,
                                               int size);

    // nullptr opens the display named by $DISPLAY. An existing marker is restored and removed
    // here (see ScreenGamma.h); a corrupt one is only removed, and without gamma ramps a valid
    // one is kept for a later start.
    explicit RandrScreenGamma(const QString& markerPath, const char* displayName = nullptr);
    // Puts the saved ramps back: a normal end never leaves a ramp loaded.
    ~RandrScreenGamma() override;

    bool apply(const GammaRamp& ramp) override;
    bool restoreOriginal() override;

    bool isAvailable() const { return m_available; }

private:
    struct Crtc
    {
        xcb_randr_crtc_t id = XCB_NONE;
        int gammaSize = 0;
    };

    bool connectionUsable();
    // The CRTCs that exist with a gamma size above 0; only the active ones (a mode and outputs)
    // when activeOnly.
    std::vector<Crtc> crtcs(bool activeOnly);
    std::optional<CrtcRamp> readRamp(xcb_randr_crtc_t crtc);
    bool writeRamp(const CrtcRamp& ramp);
    // Puts back the ramps of CRTCs that still exist with the same gamma size; false when any
    // of them could not be set.
    bool putBack(const std::vector<CrtcRamp>& ramps);
    bool writeMarker() const;
    void restoreFromMarker();

    QString m_markerPath;
    XcbConnection m_x;
    bool m_available = false;
    // The ramps found before the first apply(); empty when nothing is to be undone.
    std::vector<CrtcRamp> m_saved;
};
