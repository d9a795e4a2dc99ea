#include "BlinkDetector.h"

#include <limits>

namespace {

constexpr int kIdle = 0;
constexpr int kClosing = 1;
constexpr int kOpening = 2;

std::size_t ring(quint64 index)
{
    return static_cast<std::size_t>(index % BlinkDetector::historyLength);
}

} // namespace

void BlinkDetector::resetForRun()
{
    blinkCount = 0.0;
    blinkDurationSum = 0.0;
    m_lastEvent = EyeEvent();
    restartFrames();
}

void BlinkDetector::restartFrames()
{
    m_firstEye = EyeState();
    m_secondEye = EyeState();
    m_frame = 0;
    m_frameRate = 30;
    m_blinkLabelUntil = 0;
    // Frame numbers start again at 0: the last event moves to frame 0, where it cannot overlap a
    // new event (which would then count as the same blink), and keeps its length for the next
    // blink's.
    m_lastEvent.start = 0;
    m_lastEvent.end = 0;
    // A run writes from index 1 on; index 0 would otherwise hold whatever an earlier run left.
    m_firstMean[0] = 0.0;
    m_firstSpread[0] = 0.0;
    m_secondMean[0] = 0.0;
    m_secondSpread[0] = 0.0;
    m_interval[0] = 0.0;
}

quint64 BlinkDetector::beginFrame(double intervalSeconds)
{
    ++m_frame;
    m_interval[ring(m_frame)] = intervalSeconds;
    return m_frame;
}

void BlinkDetector::recordMotion(const EyeMotion& first, const EyeMotion& second)
{
    const std::size_t at = ring(m_frame);
    m_firstMean[at] = first.mean;
    m_firstSpread[at] = first.spread;
    m_secondMean[at] = second.mean;
    m_secondSpread[at] = second.spread;
}

void BlinkDetector::runDetectors()
{
    runDetector(m_firstEye, m_firstMean, m_firstSpread);
    runDetector(m_secondEye, m_secondMean, m_secondSpread);
}

int BlinkDetector::blinkMarker() const
{
    return m_blinkLabelUntil > m_frame ? static_cast<int>(m_blinkLabelUntil - m_frame) : 0;
}

bool BlinkDetector::updateFrameRate()
{
    if (m_frame == 0 || m_frame % frameRateWindow != 0) {
        return false;
    }
    double sum = 0.0;
    for (quint64 i = m_frame - (frameRateWindow - 1); i <= m_frame; ++i) {
        sum += m_interval[ring(i)];
    }
    const double rate = 1.0 / (sum / frameRateWindow);
    // Zero intervals (a clock that did not move) would make the cast undefined.
    if (!(rate < static_cast<double>(std::numeric_limits<int>::max()))) {
        m_frameRate = std::numeric_limits<int>::max();
    } else {
        m_frameRate = static_cast<int>(rate);
    }
    return true;
}

void BlinkDetector::runDetector(EyeState& eye, const std::array<double, historyLength>& means,
                                const std::array<double, historyLength>& spreads)
{
    const double T = flowThreshold;
    const double A = amplitudeThreshold;

    quint64 i = eye.scan;
    while (i <= m_frame) {
        const std::size_t at = ring(i);
        const double m = means[at];
        const double sd = spreads[at];
        const double dt = m_interval[at];
        // Dropping a candidate re-scans from the entry after the one that opened it, so an event
        // that began inside the dropped candidate is still found.
        bool dropped = false;

        if ((eye.state == kClosing || eye.state == kOpening) && eye.duration > longestBlink) {
            dropped = true;
        } else if (eye.state == kIdle) {
            if (m > T && sd > T) {
                eye.state = kClosing;
                eye.start = i - 1;
                eye.duration = dt;
                eye.amplitude = sd;
            }
        } else if (eye.state == kClosing) {
            if (m < -T && sd > T && eye.amplitude > A) {
                eye.state = kOpening;
                eye.turn = i;
                eye.amplitude = sd;
                eye.duration += dt;
            } else if (m < -T && sd > T) {
                dropped = true;
            } else if (m > -T && sd > T) {
                eye.amplitude += sd;
                eye.duration += dt;
            } else {
                eye.duration += dt;
            }
        } else {
            if (m < T && sd > T) {
                eye.amplitude += sd;
                eye.duration += dt;
            } else if (eye.amplitude > A && eye.duration > shortestBlink) {
                eye.state = kIdle;
                mergeEvent(EyeEvent{eye.start, i - 1, eye.duration, eye.amplitude, eye.turn});
                m_blinkLabelUntil = m_frame + blinkMarkerFrames;
            } else if (m > T && sd > T) {
                dropped = true;
            } else {
                eye.duration += dt;
            }
        }

        if (dropped) {
            eye.state = kIdle;
            i = eye.start + 2;
        } else {
            ++i;
        }
    }
    eye.scan = i;
}

bool BlinkDetector::isNewBlink(const EyeEvent& last, const EyeEvent& event)
{
    const auto denominator = static_cast<qint64>(event.end - last.start);
    if (denominator == 0) {
        return false;
    }
    const auto numerator = static_cast<qint64>(last.end - event.start);
    const double ratio = static_cast<double>(numerator) / static_cast<double>(denominator);
    return ratio < mergeRatio;
}

void BlinkDetector::mergeEvent(const EyeEvent& event)
{
    const bool newBlink = isNewBlink(m_lastEvent, event) && (!confirmBlink || confirmBlink(event));
    if (newBlink) {
        blinkCount += 1.0;
        blinkDurationSum += (m_lastEvent.duration + event.duration) / 2.0;
    }
    m_lastEvent = event;
    if (onEyeEvent) {
        onEyeEvent(event, newBlink);
    }
    if (newBlink && onBlinkCounted) {
        onBlinkCounted();
    }
}
