#pragma once

#include "controller/ExpectedEchoes.h"
#include "controller/GammaRamp.h"
#include "controller/PanelLevels.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

class Backlight;
class ExternalMonitors;
class ScreenGamma;

// Screen brightness and colour temperature. One slider drives it: positions -8..0 dim through
// the gamma ramp, 0..10 set the hardware brightness (the laptop panel's backlight and the
// external monitors over DDC/CI) in tens of percent.
//
// With the battery saver on, the hardware receives slider x 10 x 0.7, so that the saver really
// dims; every conversion between hardware brightness and slider position goes through one
// mapping (PanelLevels) with that factor.
//
// The panel reports every change, its own echoes of this program's writes included, late and
// sometimes merged; the window's slider answers each move it is asked for. Both kinds of answer
// are told from somebody else's change by what was sent and is still expected (ExpectedEchoes),
// so that the latest choice, the user's or the desktop's, is the one that stays.
//
// The devices are made on first use, in the thread that uses them; an empty factory means the
// device is absent.
class ScreenControl : public QObject
{
    Q_OBJECT
public:
    struct Devices
    {
        std::function<std::unique_ptr<ScreenGamma>()> gamma;
        std::function<std::unique_ptr<Backlight>()> backlight;
        std::function<std::unique_ptr<ExternalMonitors>()> externalMonitors;
    };

    // nowMs: milliseconds of a clock that the expected echoes age by; a steady clock when empty.
    explicit ScreenControl(Devices devices, std::function<qint64()> nowMs = {},
                           QObject* parent = nullptr);
    // Undoes the ramp and stops following the panel when control is still on.
    ~ScreenControl() override;

    // Makes the gamma device now; making it also undoes a ramp a crashed run left loaded.
    void createGamma();

    // Switching off restores the ramp and stops following the panel; the hardware brightness
    // stays where it is. Switching on leaves the detection to the caller.
    void setEnabled(bool isEnabled);
    // Finds the panel and the external monitors and takes the slider from their brightness,
    // unless they show what the slider's position means (software dimming included); delay is
    // only logged. Does nothing while control is off.
    void detect(int delay);
    void setBrightness(int value);
    // A brightness the panel reports, whether set elsewhere or the echo of a write.
    void processInternalScreenBrightnessChange(int newBrightness);
    void setColorTemperature(int value);
    void setLidOpen(bool isOpened) { m_lidOpen = isOpened; }
    // Applies the saver's factor to the hardware at once; the slider keeps the user's position.
    void enableBrightnessSaver(bool isEnabled);
    // Sets every external monitor to value percent of its own maximum (the maximum when value
    // is above 100); true when any was changed. A monitor that has gone leads to a new
    // detection and a second attempt.
    bool changeHWBrightnessForExternalScreens(int value);

    bool isEnabled() const { return m_enabled; }
    int brightnessSlider() const { return m_HWbrightnessSlider; }
    int currentHWbrightness() const { return m_currentHWbrightness; }
    int colorTemperature() const { return m_colorTemperature; }

signals:
    void adjustBrightnessSlider(int position);
    void noHWbrightnessControlDetected();
    void HWbrightnessControlDetected(int position);

private:
    struct ExternalScreen
    {
        int index = -1; // in the monitors' own list, until their next detection
        unsigned minimum = 0;
        unsigned current = 0;
        unsigned maximum = 0;
        QString description;
    };

    Backlight* backlight();
    ExternalMonitors* externalMonitors();
    int getHWBrightnessForInternalScreens();
    bool changeHWBrightnessForInternalScreens(int value);
    bool registerEventForChangeOfInternalScreenBrightness();
    void unregisterEventForChangeOfInternalScreenBrightness();
    void findExternalScreens(int& external);
    // The panel and the monitors for a slider position 0..10; the panel is left alone when
    // writePanel is false (the slider follows the panel).
    void applyHardwareBrightness(int position, bool writePanel);
    void writePanelLevel(int level, int position);
    static unsigned monitorValue(int percent, unsigned minimum, unsigned maximum);
    void applyGammaRamp();
    void restoreGammaRamp();

    Devices m_devices;
    std::function<qint64()> m_nowMs;
    std::unique_ptr<ScreenGamma> m_gamma;
    std::unique_ptr<Backlight> m_backlight;
    std::unique_ptr<ExternalMonitors> m_externalMonitors;
    bool m_gammaCreated = false;
    bool m_backlightCreated = false;
    bool m_externalMonitorsCreated = false;
    CGammaRamp m_gammaRamp;

    bool m_enabled = false;
    int m_HWbrightnessSlider = -1;
    bool m_sliderPositionReceived = false;
    int m_currentHWbrightness = -1; // percent; -1 while no hardware control is known
    bool m_lidOpen = true;
    bool m_panelFound = false; // the last detection found the panel
    // The panel's levels (none without a panel) and the battery saver's factor.
    PanelLevels m_levels;
    QVector<ExternalScreen> m_externalScreens;
    // Levels written to the panel, and positions the window's slider was asked to take, whose
    // report back is still to come.
    ExpectedEchoes m_panelEchoes;
    ExpectedEchoes m_sliderEchoes;
    // A monitor gone while setting brightness is detected again once, not once per failure.
    bool m_redetecting = false;

    int m_colorTemperature = 66; // hundreds of kelvin; 66 is neutral
    int m_SWbrightness = 0;      // the slider position last used for the ramp
    bool m_gammaRampSet = false;
};
