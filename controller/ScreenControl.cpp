#include "controller/ScreenControl.h"

ScreenControl::~ScreenControl()
{
    if (m_enabled) {
        restore();
    }
}

void ScreenControl::setEnabled(bool isEnabled)
{
    m_enabled = isEnabled;
    if (!isEnabled) {
        restore();
    }
}

bool ScreenControl::setBrightness(int value)
{
    if (value == m_HWbrightnessSlider) {
        return false;
    }
    m_HWbrightnessSlider = value;
    return true;
}

void ScreenControl::setColorTemperature(int value)
{
    m_colorTemperature = value;
    m_gammaRampSet = true;
}

void ScreenControl::enableBrightnessSaver(bool isEnabled)
{
    m_brightnessFactor = isEnabled ? 0.7f : 1.0f;
    if (m_HWbrightnessSlider >= 0) {
        m_currentHWbrightness = static_cast<int>(m_HWbrightnessSlider * 10.0f * m_brightnessFactor);
    }
}

void ScreenControl::restore()
{
    // No ramp is loaded yet, so there is nothing to undo beyond the mark.
    m_gammaRampSet = false;
}
