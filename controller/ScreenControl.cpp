#include "controller/ScreenControl.h"

#include "platform/Backlight.h"
#include "platform/ExternalMonitors.h"
#include "platform/ScreenGamma.h"

#include <QDebug>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kNeutralTemperature = 66;
constexpr int kLowestPosition = -8;
constexpr int kHighestPosition = 10;
constexpr int kMaxExternalScreens = 10;
// Taken for external monitors when there is no panel to follow and none could be read.
constexpr int kDefaultExternalBrightness = 70;
constexpr float kSaverFactor = 0.7f;

const char* statusName(ExternalMonitors::Status status)
{
    switch (status) {
    case ExternalMonitors::Status::Ok:
        return "Ok";
    case ExternalMonitors::Status::TransmissionError:
        return "TransmissionError";
    case ExternalMonitors::Status::InvalidReply:
        return "InvalidReply";
    case ExternalMonitors::Status::MonitorGone:
        return "MonitorGone";
    case ExternalMonitors::Status::Failed:
        break;
    }
    return "Failed";
}

void logLastError(const ExternalMonitors& monitors, const char* function,
                  ExternalMonitors::Status status)
{
    qDebug().noquote() << "AC error" << QStringLiteral("%1 %2:").arg(function, statusName(status))
                       << monitors.lastError();
}

} // namespace

ScreenControl::ScreenControl(Devices devices, QObject* parent)
    : QObject(parent), m_devices(std::move(devices))
{
}

ScreenControl::~ScreenControl()
{
    if (m_enabled) {
        restoreGammaRamp();
        unregisterEventForChangeOfInternalScreenBrightness();
    }
}

void ScreenControl::createGamma()
{
    if (m_gammaCreated) {
        return;
    }
    m_gammaCreated = true;
    if (m_devices.gamma) {
        m_gamma = m_devices.gamma();
    }
    m_gammaRamp.setScreenGamma(m_gamma.get());
}

Backlight* ScreenControl::backlight()
{
    if (!m_backlightCreated) {
        m_backlightCreated = true;
        if (m_devices.backlight) {
            m_backlight = m_devices.backlight();
        }
        if (m_backlight) {
            connect(m_backlight.get(), &Backlight::brightnessChanged, this,
                    &ScreenControl::processInternalScreenBrightnessChange);
        }
    }
    return m_backlight.get();
}

ExternalMonitors* ScreenControl::externalMonitors()
{
    if (!m_externalMonitorsCreated) {
        m_externalMonitorsCreated = true;
        if (m_devices.externalMonitors) {
            m_externalMonitors = m_devices.externalMonitors();
        }
    }
    return m_externalMonitors.get();
}

void ScreenControl::setEnabled(bool isEnabled)
{
    m_enabled = isEnabled;
    if (!isEnabled) {
        restoreGammaRamp();
        unregisterEventForChangeOfInternalScreenBrightness();
    }
}

void ScreenControl::detect(int delay)
{
    if (!m_enabled) {
        return;
    }
    int internal = getHWBrightnessForInternalScreens();
    qDebug() << "ApplicationController::detectScreens() after delay" << delay << "internal screen"
             << internal;
    if (!m_lidOpen || internal < 0 || internal > 100) {
        internal = -1;
        unregisterEventForChangeOfInternalScreenBrightness();
    } else if (!backlight()->isWatching()) {
        registerEventForChangeOfInternalScreenBrightness();
    }
    m_panelFound = internal != -1;

    int external = internal == -1 ? kDefaultExternalBrightness : internal;
    findExternalScreens(external);
    const bool anyExternal = !m_externalScreens.isEmpty();

    if (!anyExternal && internal == -1) {
        m_currentHWbrightness = -1;
        if (!m_sliderPositionReceived) {
            // The window's slider stands at 0 and has sent nothing: an unknown position must
            // not dim the screen.
            m_HWbrightnessSlider = 0;
        }
        emit noHWbrightnessControlDetected();
    } else if (internal != -1) {
        m_HWbrightnessSlider = truncatedPosition(internal);
        emit HWbrightnessControlDetected(m_HWbrightnessSlider);
        m_currentHWbrightness = internal;
    } else {
        m_HWbrightnessSlider = truncatedPosition(external);
        qDebug() << "ac externalScreenBrightness" << external << " m_HWbrightnessSlider"
                 << m_HWbrightnessSlider;
        emit HWbrightnessControlDetected(m_HWbrightnessSlider);
        m_currentHWbrightness = external;
    }
    if (anyExternal && internal != -1) {
        // The external monitors follow the laptop's panel.
        changeHWBrightnessForExternalScreens(internal);
    }
    m_expectedSliderPositions.clear();

    m_SWbrightness = m_HWbrightnessSlider;
    if (m_colorTemperature != kNeutralTemperature || m_HWbrightnessSlider != 0) {
        applyGammaRamp();
        qDebug() << "ApplicationController::detectScreens() gammaramp set" << m_colorTemperature
                 << m_HWbrightnessSlider;
    }
}

void ScreenControl::findExternalScreens(int& external)
{
    const QVector<ExternalScreen> previous = m_externalScreens;
    m_externalScreens.clear();
    ExternalMonitors* monitors = externalMonitors();
    const QStringList names = monitors ? monitors->detect() : QStringList();
    const int count = std::min(static_cast<int>(names.size()), kMaxExternalScreens);
    for (int i = 0; i < count; ++i) {
        qDebug().noquote() << "Physical Monitor " + names.at(i);
        ExternalScreen screen;
        screen.index = i;
        screen.description = names.at(i);
        if (i < previous.size() && previous.at(i).description == screen.description) {
            screen = previous.at(i);
        }
        ExternalMonitors::Brightness brightness;
        const ExternalMonitors::Status status = monitors->readBrightness(i, brightness);
        if (status == ExternalMonitors::Status::Ok) {
            screen.minimum = brightness.minimum;
            screen.current = brightness.current;
            screen.maximum = brightness.maximum;
            external = static_cast<int>(brightness.current);
        } else {
            logLastError(*monitors, "GetMonitorBrightness", status);
            // A bus error or a garbled reply is often passing: the monitor stays, with the
            // values it had.
            if (status != ExternalMonitors::Status::TransmissionError &&
                status != ExternalMonitors::Status::InvalidReply) {
                continue;
            }
        }
        m_externalScreens.append(screen);
        qDebug().noquote() << "name" << screen.description << " min:" << screen.minimum
                           << " cur:" << screen.current << " max:" << screen.maximum;
    }
    qDebug() << "ApplicationController::detectScreens() number of external screens"
             << m_externalScreens.size();
}

int ScreenControl::getHWBrightnessForInternalScreens()
{
    Backlight* panel = backlight();
    if (!panel) {
        return -1;
    }
    const int result = panel->brightness();
    if (result >= 0) {
        m_internalLevels = panel->supportedLevels();
        QStringList levels;
        for (int level : qAsConst(m_internalLevels)) {
            levels.append(QString::number(level));
        }
        qDebug().noquote() << "supported laptop screen levels: " + levels.join(QLatin1Char(' '));
    }
    return result;
}

bool ScreenControl::changeHWBrightnessForInternalScreens(int value)
{
    qDebug() << "ApplicationController::changeHWBrightnessForInternalScreens" << value;
    Backlight* panel = backlight();
    if (!panel || !panel->setBrightness(value)) {
        qWarning() << "AC:changeHWBrightnessForInternalScreens failed to set" << value;
        return false;
    }
    return true;
}

bool ScreenControl::registerEventForChangeOfInternalScreenBrightness()
{
    Backlight* panel = backlight();
    if (!panel || !panel->startWatching()) {
        qWarning() << "AC:registerEventForChangeOfInternalScreenBrightness the panel's brightness "
                      "cannot be followed";
        return false;
    }
    return true;
}

void ScreenControl::unregisterEventForChangeOfInternalScreenBrightness()
{
    // Only a panel made earlier can be watched.
    if (m_backlight) {
        m_backlight->stopWatching();
    }
}

void ScreenControl::setBrightness(int value)
{
    qDebug() << "ApplicationController::setBrightness old" << m_HWbrightnessSlider << "new"
             << value;
    if (value < kLowestPosition || value > kHighestPosition) {
        qWarning() << "ApplicationController::setBrightness position out of range, taken as"
                   << std::clamp(value, kLowestPosition, kHighestPosition);
        value = std::clamp(value, kLowestPosition, kHighestPosition);
    }
    m_sliderPositionReceived = true;
    if (value == m_HWbrightnessSlider) {
        return;
    }
    m_HWbrightnessSlider = value;
    if (!m_enabled) {
        return;
    }
    if (value >= 0) {
        const int hardware = hardwareBrightness(value);
        const int target = nearestSupportedLevel(m_internalLevels, hardware);
        const int current = roundedPosition(m_currentHWbrightness);
        qDebug() << "ApplicationController::setHWbrightness for internal screen current"
                 << m_currentHWbrightness << "recalculated brightness" << target
                 << m_expectedSliderPositions;
        if (m_panelFound && m_currentHWbrightness != -1) {
            if (m_backlight->isWatching()) {
                // The panel reports the write back; the echo must not move the slider.
                if (!m_expectedSliderPositions.remove(value) && m_currentHWbrightness != target &&
                    current != value) {
                    m_expectedSliderPositions.insert(value);
                    changeHWBrightnessForInternalScreens(target);
                }
            } else if (m_currentHWbrightness != target &&
                       changeHWBrightnessForInternalScreens(target)) {
                // No echo will come, so the write is all there is to know.
                m_currentHWbrightness = target;
            }
        }
        qDebug() << "ApplicationController::setHWbrightness done" << m_expectedSliderPositions;
        if (!m_externalScreens.isEmpty()) {
            changeHWBrightnessForExternalScreens(hardware);
        }
    }
    qDebug() << "ApplicationController::setSWbrightness gammaramp" << value << "color temp"
             << m_colorTemperature;
    m_SWbrightness = value;
    applyGammaRamp();
}

void ScreenControl::processInternalScreenBrightnessChange(int newBrightness)
{
    if (newBrightness < 0 || newBrightness > 100) {
        qWarning() << "ApplicationController::processInternalScreenBrightnessChange ignored"
                   << newBrightness;
        return;
    }
    const int position = roundedPosition(newBrightness);
    qDebug() << "ApplicationController::processInternalScreenBrightnessChange current brightness"
             << m_currentHWbrightness << "new" << newBrightness << "current slider"
             << m_HWbrightnessSlider << "new" << position;
    if (newBrightness == m_currentHWbrightness) {
        return;
    }
    m_currentHWbrightness = newBrightness;
    // Expected only when the slider is asked to move: its setBrightness() is the echo that
    // takes the position out again.
    if (!m_expectedSliderPositions.remove(position) && position != m_HWbrightnessSlider) {
        m_expectedSliderPositions.insert(position);
        emit adjustBrightnessSlider(position);
    }
    qDebug() << "ApplicationController::processInternalScreenBrightnessChange after"
             << m_expectedSliderPositions;
}

void ScreenControl::setColorTemperature(int value)
{
    qDebug() << "ApplicationController::setColorTemperature" << value;
    m_colorTemperature = value;
    m_gammaRampSet = true;
    if (m_enabled) {
        applyGammaRamp();
    }
}

void ScreenControl::enableBrightnessSaver(bool isEnabled)
{
    m_brightnessFactor = isEnabled ? kSaverFactor : 1.0f;
    if (m_HWbrightnessSlider >= 0) {
        m_currentHWbrightness = hardwareBrightness(m_HWbrightnessSlider);
        qDebug() << "ApplicationController::enableBrightnessSaver" << m_expectedSliderPositions;
    }
    qDebug() << "ApplicationController::enableBrightnessSaver" << m_brightnessFactor;
}

bool ScreenControl::changeHWBrightnessForExternalScreens(int value)
{
    qDebug() << "ApplicationController::changeHWBrightnessForExternalScreens" << value;
    if (m_externalScreens.isEmpty()) {
        return false;
    }
    if (value < 0) {
        qWarning() << "ApplicationController::changeHWBrightnessForExternalScreens ignored"
                   << value;
        return false;
    }
    ExternalMonitors* monitors = externalMonitors();
    bool changed = false;
    for (ExternalScreen& screen : m_externalScreens) {
        const unsigned wanted = value <= 100 ? static_cast<unsigned>(value) : screen.maximum;
        if (wanted == screen.current) {
            continue;
        }
        qDebug().noquote() << "change brightness of " << screen.description << " to " << wanted;
        const ExternalMonitors::Status status = monitors->setBrightness(screen.index, wanted);
        if (status == ExternalMonitors::Status::Ok) {
            screen.current = wanted;
            changed = true;
            continue;
        }
        logLastError(*monitors, "SetMonitorBrightness", status);
        if (status == ExternalMonitors::Status::MonitorGone && !m_redetecting) {
            // The list is stale: take the monitors there are now and set them all again. Once
            // only, so that a monitor that keeps reporting itself gone cannot loop.
            m_redetecting = true;
            detect(0);
            const bool again = changeHWBrightnessForExternalScreens(value);
            m_redetecting = false;
            return changed || again;
        }
    }
    return changed;
}

int ScreenControl::nearestSupportedLevel(const QList<int>& levels, int v)
{
    bool hasPrevious = false;
    int previous = 0;
    for (int level : levels) {
        if (level >= v) {
            if (level == v || !hasPrevious) {
                return level;
            }
            return level - v > v - previous ? previous : level;
        }
        previous = level;
        hasPrevious = true;
    }
    return v;
}

int ScreenControl::hardwareBrightness(int position) const
{
    return static_cast<int>(static_cast<float>(position) * 10.0f * m_brightnessFactor);
}

int ScreenControl::truncatedPosition(int brightness) const
{
    return static_cast<int>(static_cast<float>(brightness) / m_brightnessFactor) / 10;
}

int ScreenControl::roundedPosition(int brightness) const
{
    return static_cast<int>(
        std::round(std::ceil(static_cast<float>(brightness) / m_brightnessFactor) / 10.0f));
}

void ScreenControl::applyGammaRamp()
{
    createGamma();
    m_gammaRampSet = true;
    m_gammaRamp.SetColorTemperatureAndBrightness(m_colorTemperature, m_SWbrightness);
}

void ScreenControl::restoreGammaRamp()
{
    if (m_gammaRampSet) {
        m_gammaRamp.RestoreLinearRamp();
        m_gammaRampSet = false;
    }
}
