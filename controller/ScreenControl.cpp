#include "controller/ScreenControl.h"

#include "platform/Backlight.h"
#include "platform/ExternalMonitors.h"
#include "platform/ScreenGamma.h"

#include <QDebug>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

constexpr int kNeutralTemperature = 66;
constexpr int kLowestPosition = -8;
constexpr int kHighestPosition = 10;
constexpr int kMaxExternalScreens = 10;
// Taken for external monitors when there is no panel to follow and none could be read.
constexpr int kDefaultExternalBrightness = 70;
constexpr float kSaverFactor = 0.7f;
// How long a write's echo from the panel, or the slider's answer to a move, is waited for. The
// panel is read at least once a second where no udev event tells of a change.
constexpr int kEchoLifetimeMs = 3000;

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

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

ScreenControl::ScreenControl(Devices devices, std::function<qint64()> nowMs, QObject* parent)
    : QObject(parent), m_devices(std::move(devices)), m_nowMs(nowMs ? std::move(nowMs) : steadyMs),
      m_panelEchoes(kEchoLifetimeMs), m_sliderEchoes(kEchoLifetimeMs)
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
    if (!m_panelFound) {
        // The monitors alone: every percentage is a level.
        m_levels.setLevels({});
    }

    int external = internal == -1 ? kDefaultExternalBrightness : internal;
    findExternalScreens(external);
    const bool anyExternal = !m_externalScreens.isEmpty();
    m_panelEchoes.clear();
    m_sliderEchoes.clear();

    bool keptPosition = false;
    if (!anyExternal && internal == -1) {
        m_currentHWbrightness = -1;
        if (!m_sliderPositionReceived) {
            // The window's slider stands at 0 and has sent nothing: an unknown position must
            // not dim the screen.
            m_HWbrightnessSlider = 0;
        }
        emit noHWbrightnessControlDetected();
    } else {
        const int reading = internal != -1 ? internal : external;
        // A display plugged in, waking or a lid opened: where the hardware still shows what the
        // slider's position means, the user's position stays, software dimming included.
        keptPosition = m_sliderPositionReceived &&
                       m_levels.levelFor(std::max(m_HWbrightnessSlider, 0)) == reading;
        if (!keptPosition) {
            m_HWbrightnessSlider = m_levels.positionFor(reading, PanelLevels::Rounding::Truncate);
        }
        if (internal == -1) {
            qDebug() << "ac externalScreenBrightness" << external << " m_HWbrightnessSlider"
                     << m_HWbrightnessSlider;
        }
        emit HWbrightnessControlDetected(m_HWbrightnessSlider);
        m_currentHWbrightness = reading;
    }
    if (anyExternal && internal != -1) {
        // The external monitors follow the laptop's panel.
        changeHWBrightnessForExternalScreens(
            keptPosition ? m_levels.target(std::max(m_HWbrightnessSlider, 0)) : internal);
    }

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
            // In percent of the monitor's own maximum, as the slider counts.
            external = screen.maximum > 0
                           ? static_cast<int>(std::lround(100.0 * brightness.current /
                                                          static_cast<double>(screen.maximum)))
                           : static_cast<int>(brightness.current);
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
        m_levels.setLevels(panel->supportedLevels());
        QStringList levels;
        for (int level : m_levels.levels()) {
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
    // The slider answering a move it was asked for follows the panel, which is already there;
    // any other position is the user's choice.
    const bool followsPanel = m_sliderEchoes.take(value, m_nowMs());
    if (value == m_HWbrightnessSlider) {
        return;
    }
    m_HWbrightnessSlider = value;
    if (!m_enabled) {
        return;
    }
    if (value >= 0) {
        applyHardwareBrightness(value, !followsPanel);
    }
    qDebug() << "ApplicationController::setSWbrightness gammaramp" << value << "color temp"
             << m_colorTemperature;
    m_SWbrightness = value;
    applyGammaRamp();
}

void ScreenControl::applyHardwareBrightness(int position, bool writePanel)
{
    const int level = m_levels.levelFor(position);
    qDebug() << "ApplicationController::setHWbrightness for internal screen current"
             << m_currentHWbrightness << "recalculated brightness" << level
             << m_panelEchoes.pending(m_nowMs());
    if (writePanel && m_panelFound && m_currentHWbrightness != -1) {
        writePanelLevel(level, position);
    }
    qDebug() << "ApplicationController::setHWbrightness done" << m_panelEchoes.pending(m_nowMs());
    if (!m_externalScreens.isEmpty()) {
        changeHWBrightnessForExternalScreens(m_levels.target(position));
    }
}

void ScreenControl::writePanelLevel(int level, int position)
{
    const qint64 now = m_nowMs();
    // Where the panel is, or is on its way to.
    if (m_panelEchoes.latest(now).value_or(m_currentHWbrightness) == level) {
        return;
    }
    if (!changeHWBrightnessForInternalScreens(level)) {
        return; // nothing to wait for
    }
    if (m_backlight->isWatching()) {
        // The panel reports the write back; the echo must not move the slider.
        m_panelEchoes.expect(level, position, now);
    } else {
        // No echo will come, so the write is all there is to know.
        m_currentHWbrightness = level;
    }
}

void ScreenControl::processInternalScreenBrightnessChange(int newBrightness)
{
    if (newBrightness < 0 || newBrightness > 100) {
        qWarning() << "ApplicationController::processInternalScreenBrightnessChange ignored"
                   << newBrightness;
        return;
    }
    const int position = m_levels.positionFor(newBrightness, PanelLevels::Rounding::Nearest);
    qDebug() << "ApplicationController::processInternalScreenBrightnessChange current brightness"
             << m_currentHWbrightness << "new" << newBrightness << "current slider"
             << m_HWbrightnessSlider << "new" << position;
    if (newBrightness == m_currentHWbrightness) {
        return;
    }
    m_currentHWbrightness = newBrightness;
    const qint64 now = m_nowMs();
    // A driver may read back a neighbour of the value written: what shows the same position
    // is the echo too.
    const bool echo = m_panelEchoes.take(
        [&](int level, int sentPosition) {
            return level == newBrightness || sentPosition == position;
        },
        now);
    const bool sliderShowsIt =
        m_levels.levelFor(std::max(m_HWbrightnessSlider, 0)) == newBrightness ||
        position == m_HWbrightnessSlider;
    if (!echo && !sliderShowsIt) {
        // Set elsewhere: the slider follows, and its answer must not write the panel back.
        m_sliderEchoes.expect(position, position, now);
        emit adjustBrightnessSlider(position);
    }
    qDebug() << "ApplicationController::processInternalScreenBrightnessChange after"
             << m_panelEchoes.pending(now) << m_sliderEchoes.pending(now);
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
    const float factor = isEnabled ? kSaverFactor : 1.0f;
    const bool changed = factor != m_levels.factor();
    m_levels.setFactor(factor);
    qDebug() << "ApplicationController::enableBrightnessSaver" << factor;
    // At once, both ways: the slider keeps the user's position, the hardware takes the factor.
    if (changed && m_enabled && m_HWbrightnessSlider >= 0) {
        applyHardwareBrightness(m_HWbrightnessSlider, true);
    }
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
        const unsigned wanted =
            value <= 100 ? monitorValue(value, screen.minimum, screen.maximum) : screen.maximum;
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

unsigned ScreenControl::monitorValue(int percent, unsigned minimum, unsigned maximum)
{
    if (maximum == 0) {
        // Never read: the monitor's scale is unknown, and 0..100 is the common one.
        return static_cast<unsigned>(percent);
    }
    const auto scaled = static_cast<unsigned>(std::lround(percent * maximum / 100.0));
    return std::clamp(scaled, std::min(minimum, maximum), maximum);
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
