#include "controller/GammaRamp.h"

#include <QDebug>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kLowestTemperature = 45;
constexpr int kNeutralTemperature = 66;
constexpr int kDimmest = -8;
constexpr int kTries = 3;

int clampedTemperature(int temperature)
{
    return std::clamp(temperature, kLowestTemperature, kNeutralTemperature);
}

// 0..8, 8 meaning no dimming.
int level(int brightness)
{
    return std::clamp(brightness, kDimmest, 0) - kDimmest;
}

std::uint16_t entry(float value, float factor)
{
    return static_cast<std::uint16_t>(std::clamp(value * factor, 0.0f, 65535.0f));
}

float channelFactor(float value)
{
    return std::clamp(value, 0.0f, 255.0f) / 255.0f;
}

} // namespace

CGammaRamp::Factors CGammaRamp::factorsFor(int temperature)
{
    const int t = clampedTemperature(temperature);
    Factors factors;
    if (t < kNeutralTemperature) {
        // The low-temperature branch of the usual temperature-to-RGB curve, in hundreds of
        // kelvin; temperatures above 66 are never asked for.
        factors.green = channelFactor(99.4708f * std::log(static_cast<float>(t)) - 161.11957f);
        factors.blue = channelFactor(138.51773f * std::log(static_cast<float>(t - 10)) - 305.0448f);
    }
    return factors;
}

GammaRamp CGammaRamp::rampFor(int temperature, int brightness, bool firstApplication)
{
    const Factors factors = factorsFor(temperature);
    const int l = level(brightness);
    const int step = 175 + 10 * l;
    GammaRamp ramp;
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<float>(i * step);
        ramp.red[i] = entry(v, factors.red);
        ramp.green[i] = entry(v, factors.green);
        ramp.blue[i] = entry(v, factors.blue);
    }
    if (firstApplication) {
        // Some drivers skip a ramp equal to the one loaded; the first load differs in its top
        // green and blue entries so that the second, exact one always takes.
        const int top = l == 0 ? 44880 + 2550 * l : 44370 + 2550 * l;
        ramp.green[255] = entry(static_cast<float>(top), factors.green);
        ramp.blue[255] = entry(static_cast<float>(top), factors.blue);
    }
    return ramp;
}

bool CGammaRamp::SetColorTemperatureAndBrightness(int temperature, int brightness)
{
    const int t = clampedTemperature(temperature);
    const int l = level(brightness);
    qDebug() << "CGammaRamp::SetColorTemperatureAndBrightness" << t << l;
    if (!m_gamma) {
        qWarning() << "gammaramp bad dc initialization";
        return false;
    }
    applyWithRetries(rampFor(t, brightness, true));
    const bool result = applyWithRetries(rampFor(t, brightness, false));
    if (!result) {
        qWarning() << "gammaramp unable to set";
    }
    return result;
}

bool CGammaRamp::applyWithRetries(const GammaRamp& ramp)
{
    for (int i = 0; i < kTries; ++i) {
        if (m_gamma->apply(ramp)) {
            return true;
        }
    }
    return false;
}

void CGammaRamp::RestoreLinearRamp()
{
    if (m_gamma) {
        m_gamma->restoreOriginal();
    }
}
