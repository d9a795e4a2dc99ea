#pragma once

#include "platform/ScreenGamma.h"

// Builds the gamma ramp for a colour temperature and a software brightness, and loads it
// through the platform's ScreenGamma.
class CGammaRamp
{
public:
    struct Factors
    {
        float red = 1.0f;
        float green = 1.0f;
        float blue = 1.0f;
    };

    // gamma may be null: there is then no screen to load a ramp into.
    explicit CGammaRamp(ScreenGamma* gamma = nullptr) : m_gamma(gamma) {}
    void setScreenGamma(ScreenGamma* gamma) { m_gamma = gamma; }

    // temperature in hundreds of kelvin (45..66), brightness -8..0 (0 and above: no dimming).
    // Loads the ramp twice; true when the last load succeeded.
    bool SetColorTemperatureAndBrightness(int temperature, int brightness);
    // Puts back the ramps the screens had before the first load.
    void RestoreLinearRamp();

    // The channel factors for a temperature, clamped to 45..66.
    static Factors factorsFor(int temperature);
    // The ramp for (temperature, brightness); the first of the two loads moves the green and
    // blue top entries by 255.
    static GammaRamp rampFor(int temperature, int brightness, bool firstApplication);

private:
    bool applyWithRetries(const GammaRamp& ramp);

    ScreenGamma* m_gamma;
};
