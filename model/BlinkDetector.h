#pragma once

#include "EyeMotionMeter.h"

#include <QtGlobal>
#include <array>
#include <functional>

// Per-frame motion histories, the per-eye blink state machines, the merging of eye events into
// counted blinks, and the frame-rate rule.
class BlinkDetector
{
public:
    static constexpr double flowThreshold = 0.0025;
    static constexpr double amplitudeThreshold = 0.0075;
    static constexpr double longestBlink = 0.5;
    // Time a lid that came down within shortestBlink may rest closed beyond longestBlink: long
    // blinks rest closed, while a candidate opened by slow lid drift does not come down at once.
    static constexpr double longestRest = 0.3;
    static constexpr double shortestBlink = 0.1;
    static constexpr double mergeRatio = 0.3;
    static constexpr int historyLength = 10000;
    static constexpr int frameRateWindow = 31;
    static constexpr int lowestFrameRate = 10;
    static constexpr int blinkMarkerFrames = 50;

    struct EyeEvent
    {
        quint64 start = 0;
        quint64 end = 0;
        double duration = 0.25;
        double amplitude = 0.0;
        quint64 turn = 0; // the entry at which the lid turned up: the frame before is the deepest
    };

    struct EyeState
    {
        int state = 0; // 0 idle, 1 closing, 2 opening
        quint64 scan = 0;
        quint64 start = 0;
        double duration = 0.0;
        double amplitude = 0.0;
        quint64 turn = 0;
        double rest = 0.0;      // seconds without lid motion after the lid came down at once
        bool downAtOnce = true; // the closing passed the amplitude within shortestBlink
    };

    // The merge rule: does event, following last (of either eye), start a new blink?
    static bool isNewBlink(const EyeEvent& last, const EyeEvent& event);

    // Asked for every eye event that would start a new blink: does it hold by cues other than
    // motion? Without it, every such event counts. A refused event still becomes the last eye
    // event, so that the other eye's report of the same movement does not count either.
    std::function<bool(const EyeEvent& event)> confirmBlink;
    // Called once per counted blink, after blinkCount and blinkDurationSum were updated.
    std::function<void()> onBlinkCounted;
    // Called for every completed eye event, counted as a new blink or merged into the last one.
    std::function<void(const EyeEvent& event, bool countedAsBlink)> onEyeEvent;

    // The one reset of a run, at its start: no blinks yet, the last eye event as at creation,
    // and restartFrames().
    void resetForRun();
    // A new frame sequence (a run's start, or another camera mid-run, whose blinks so far still
    // count): detector states, frame counter, frame rate (30), blink marker (0). History index 0
    // is cleared so that a run never reads what an earlier one left there.
    void restartFrames();
    // Frame counter + 1; stores this frame's interval in seconds. Returns the new counter.
    quint64 beginFrame(double intervalSeconds);
    quint64 frameCounter() const { return m_frame; }
    // Motion of both eyes for the current frame (zero when the previous frame had no face).
    void recordMotion(const EyeMotion& first, const EyeMotion& second);
    // Both detectors consume their history entries up to the current frame, first eye first.
    void runDetectors();
    // Frame-rate rule; true when the rate was measured at this frame (counter multiple of 31).
    bool updateFrameRate();
    int frameRate() const { return m_frameRate; }
    // Frames the preview still shows "blink detected", this one included: 50 at an eye event,
    // one less with every later frame.
    int blinkMarker() const;

    double blinkCount = 0.0;
    double blinkDurationSum = 0.0; // seconds

    const EyeEvent& lastEyeEvent() const { return m_lastEvent; }
    // 0 the first eye, 1 the second.
    const EyeState& eyeState(int eye) const { return eye == 0 ? m_firstEye : m_secondEye; }

private:
    // A closure too long for longestBlink but within it without its rest, followed on its own.
    // Its event counts only where the main scan finds no event overlapping it, so that the events
    // the main scan finds stay exactly as they are.
    struct LongClosure
    {
        EyeState candidate;
        bool following = false;
        EyeEvent event;
        bool held = false;
    };

    enum class Step
    {
        Next,
        Dropped,
        TooLong,
        Event
    };
    // One history entry for one eye's state machine; restAllowance seconds of rest do not count
    // towards longestBlink.
    Step advance(EyeState& eye, quint64 i, double restAllowance, double m, double sd,
                 EyeEvent& event) const;
    void runDetector(EyeState& eye, LongClosure& longClosure,
                     const std::array<double, historyLength>& means,
                     const std::array<double, historyLength>& spreads);
    void followLongClosure(LongClosure& longClosure, const std::array<double, historyLength>& means,
                           const std::array<double, historyLength>& spreads);
    void countEyeEvent(LongClosure& longClosure, const EyeEvent& event);
    void mergeEvent(const EyeEvent& event);

    std::array<double, historyLength> m_firstMean{};
    std::array<double, historyLength> m_firstSpread{};
    std::array<double, historyLength> m_secondMean{};
    std::array<double, historyLength> m_secondSpread{};
    std::array<double, historyLength> m_interval{};
    EyeState m_firstEye;
    EyeState m_secondEye;
    LongClosure m_firstLong;
    LongClosure m_secondLong;
    EyeEvent m_lastEvent;
    quint64 m_frame = 0;
    int m_frameRate = 30;
    quint64 m_blinkLabelUntil = 0; // first frame after the label
};
