#pragma once

#include <QSet>

// The screen's brightness and colour-temperature state: whether control is on, the slider, the
// colour temperature, the lid and the battery saver. Driving the backlight, the monitors and
// the gamma ramp from it is still to come; until then it only keeps what the settings give.
class ScreenControl
{
public:
    // Undoes what screen control changed when it is still on.
    ~ScreenControl();

    void setEnabled(bool isEnabled);
    // Returns false when value is the slider's position already, which then changes nothing.
    bool setBrightness(int value);
    void setColorTemperature(int value);
    void setLidOpen(bool isOpened) { m_lidOpen = isOpened; }
    void enableBrightnessSaver(bool isEnabled);
    // Puts back the linear gamma ramp if one was set.
    void restore();

    bool isEnabled() const { return m_enabled; }
    int brightnessSlider() const { return m_HWbrightnessSlider; }
    int currentHWbrightness() const { return m_currentHWbrightness; }
    float brightnessFactor() const { return m_brightnessFactor; }
    bool lidOpen() const { return m_lidOpen; }
    int colorTemperature() const { return m_colorTemperature; }
    bool gammaRampSet() const { return m_gammaRampSet; }
    const QSet<int>& expectedSliderPositions() const { return m_expectedSliderPositions; }

private:
    bool m_enabled = false;
    // -8..0 dims through the gamma ramp, 0..10 is the hardware brightness in tens of percent.
    int m_HWbrightnessSlider = -1;
    int m_currentHWbrightness = -1;  // percent; -1 while no hardware control is known
    float m_brightnessFactor = 1.0f; // 0.7 while the system's battery saver is on
    bool m_lidOpen = true;
    // Positions whose echo from the panel is still expected.
    QSet<int> m_expectedSliderPositions;
    int m_colorTemperature = 66; // hundreds of kelvin; 66 is neutral
    bool m_gammaRampSet = false;
};
