#include "BlinkDetector.h"

#include <algorithm>
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
    m_firstLong = LongClosure();
    m_secondLong = LongClosure();
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
    runDetector(m_firstEye, m_firstLong, m_firstMean, m_firstSpread);
    runDetector(m_secondEye, m_secondLong, m_secondMean, m_secondSpread);
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

BlinkDetector::Step BlinkDetector::advance(EyeState& eye, quint64 i, double restAllowance, double m,
                                           double sd, EyeEvent& event) const
{
    const double T = flowThreshold;
    const double A = amplitudeThreshold;
    const double dt = m_interval[ring(i)];

    if ((eye.state == kClosing || eye.state == kOpening) &&
        eye.duration - std::min(eye.rest, restAllowance) > longestBlink) {
        return Step::TooLong;
    }
    if (eye.state == kIdle) {
        if (m > T && sd > T) {
            eye.state = kClosing;
            eye.start = i - 1;
            eye.duration = dt;
            eye.amplitude = sd;
            eye.rest = 0.0;
            eye.downAtOnce = true;
        }
        return Step::Next;
    }
    if (eye.state == kClosing) {
        if (m < -T && sd > T && eye.amplitude > A) {
            eye.state = kOpening;
            eye.turn = i;
            eye.amplitude = sd;
            eye.duration += dt;
            return Step::Next;
        }
        if (m < -T && sd > T) {
            return Step::Dropped;
        }
        if (m > -T && sd > T) {
            eye.amplitude += sd;
        } else if (eye.amplitude > A && eye.downAtOnce) {
            eye.rest += dt;
        }
        eye.duration += dt;
        if (eye.amplitude <= A && eye.duration > shortestBlink) {
            eye.downAtOnce = false;
        }
        return Step::Next;
    }
    if (m < T && sd > T) {
        eye.amplitude += sd;
        eye.duration += dt;
        return Step::Next;
    }
    if (eye.amplitude > A && eye.duration > shortestBlink) {
        eye.state = kIdle;
        event = EyeEvent{eye.start, i - 1, eye.duration, eye.amplitude, eye.turn};
        return Step::Event;
    }
    if (m > T && sd > T) {
        return Step::Dropped;
    }
    eye.duration += dt;
    return Step::Next;
}

void BlinkDetector::runDetector(EyeState& eye, LongClosure& longClosure,
                                const std::array<double, historyLength>& means,
                                const std::array<double, historyLength>& spreads)
{
    quint64 i = eye.scan;
    while (i <= m_frame) {
        const std::size_t at = ring(i);
        EyeEvent event;
        const Step step = advance(eye, i, 0.0, means[at], spreads[at], event);
        if (step == Step::TooLong && !longClosure.following && !longClosure.held) {
            // Its rest may still make it a long blink: followed on from this entry.
            EyeState follow = eye;
            EyeEvent unused;
            if (advance(follow, i, longestRest, means[at], spreads[at], unused) != Step::TooLong) {
                longClosure.candidate = eye;
                longClosure.candidate.scan = i;
                longClosure.following = true;
            }
        }
        if (step == Step::Dropped || step == Step::TooLong) {
            // Dropping a candidate re-scans from the entry after the one that opened it, so an
            // event that began inside the dropped candidate is still found.
            eye.state = kIdle;
            i = eye.start + 2;
            continue;
        }
        if (step == Step::Event) {
            countEyeEvent(longClosure, event);
        }
        ++i;
    }
    eye.scan = i;

    followLongClosure(longClosure, means, spreads);
    // Counted once the main scan can no longer find an event overlapping it.
    const quint64 earliestStart = eye.state == kIdle ? eye.scan - 1 : eye.start;
    if (longClosure.held && earliestStart > longClosure.event.end) {
        longClosure.held = false;
        mergeEvent(longClosure.event);
    }
}

void BlinkDetector::followLongClosure(LongClosure& longClosure,
                                      const std::array<double, historyLength>& means,
                                      const std::array<double, historyLength>& spreads)
{
    EyeState& eye = longClosure.candidate;
    while (longClosure.following && eye.scan <= m_frame) {
        const std::size_t at = ring(eye.scan);
        EyeEvent event;
        const Step step = advance(eye, eye.scan, longestRest, means[at], spreads[at], event);
        ++eye.scan;
        if (step == Step::Dropped || step == Step::TooLong) {
            longClosure.following = false;
        } else if (step == Step::Event) {
            longClosure.following = false;
            longClosure.event = event;
            longClosure.held = true;
        }
    }
}

void BlinkDetector::countEyeEvent(LongClosure& longClosure, const EyeEvent& event)
{
    if (longClosure.following && longClosure.candidate.start <= event.end) {
        longClosure.following = false;
    }
    if (longClosure.held) {
        if (longClosure.event.start <= event.end && event.start <= longClosure.event.end) {
            longClosure.held = false;
        } else if (longClosure.event.end < event.start) {
            longClosure.held = false;
            mergeEvent(longClosure.event);
        }
    }
    mergeEvent(event);
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
    m_blinkLabelUntil = m_frame + blinkMarkerFrames;
}
