#include "model/BlinkDetector.h"

#include <QtTest>
#include <vector>

namespace {

const EyeMotion kStill{};
const EyeMotion kDown{0.01, 0.005};
const EyeMotion kUp{-0.01, 0.005};
constexpr double kDt = 0.03;

// Feeds the detector as the engine does: one frame interval, both eyes' motion, then the
// detectors (skipped when the previous frame had no face).
struct Feeder
{
    BlinkDetector& detector;

    void frame(const EyeMotion& first, const EyeMotion& second = kStill, double dt = kDt,
               bool previousFace = true)
    {
        detector.beginFrame(dt);
        detector.recordMotion(first, second);
        if (previousFace) {
            detector.runDetectors();
        }
    }
    void still(int frames, double dt = kDt)
    {
        for (int i = 0; i < frames; ++i) {
            frame(kStill, kStill, dt);
        }
    }
};

// Per-frame motion of one eye: `closing` downward frames from frame `first`, then `opening`
// upward ones; index 0 is unused (frames count from 1).
std::vector<EyeMotion> blinkPattern(int frames, int first, int closing, int opening)
{
    std::vector<EyeMotion> motion(frames + 1, kStill);
    for (int f = first; f < first + closing; ++f) {
        motion[f] = kDown;
    }
    for (int f = first + closing; f < first + closing + opening; ++f) {
        motion[f] = kUp;
    }
    return motion;
}

} // namespace

class TestBlinkDetector : public QObject
{
    Q_OBJECT

private:
    BlinkDetector m_detector;
    int m_counted = 0;
    std::vector<double> m_countsSeenByHook;

    void playBoth(const std::vector<EyeMotion>& first, const std::vector<EyeMotion>& second)
    {
        Feeder feed{m_detector};
        for (std::size_t f = 1; f < first.size(); ++f) {
            feed.frame(first[f], second[f]);
        }
    }

private slots:
    void init()
    {
        m_detector = BlinkDetector();
        m_counted = 0;
        m_countsSeenByHook.clear();
        m_detector.onBlinkCounted = [this] {
            ++m_counted;
            m_countsSeenByHook.push_back(m_detector.blinkCount);
        };
        m_detector.resetForRun();
    }

    void shortBlinkIsOneEventAndOneBlink()
    {
        Feeder feed{m_detector};
        feed.still(3);
        feed.frame(kDown);
        feed.frame(kDown);
        QCOMPARE(m_detector.eyeState(0).state, 1);
        QCOMPARE(m_detector.eyeState(0).start, quint64(3));
        feed.frame(kUp);
        QCOMPARE(m_detector.eyeState(0).state, 2);
        feed.frame(kUp);
        feed.frame(kUp);
        QCOMPARE(m_counted, 0);
        feed.frame(kStill); // frame 9: the opening has stopped
        QCOMPARE(m_counted, 1);
        QCOMPARE(m_detector.blinkCount, 1.0);
        QCOMPARE(m_countsSeenByHook.front(), 1.0);
        const BlinkDetector::EyeEvent& event = m_detector.lastEyeEvent();
        QCOMPARE(event.start, quint64(3));
        QCOMPARE(event.end, quint64(8));
        QVERIFY(qAbs(event.duration - 0.15) < 1e-9);
        QVERIFY(qAbs(event.amplitude - 0.015) < 1e-12);
        // The first blink of the engine averages with the initial last event of 0.25 s.
        QVERIFY(qAbs(m_detector.blinkDurationSum - (0.25 + 0.15) / 2) < 1e-9);
        QCOMPARE(m_detector.blinkMarker(), BlinkDetector::blinkMarkerFrames);
        QCOMPARE(m_detector.eyeState(0).state, 0);
        QCOMPARE(m_detector.eyeState(1).state, 0);
        feed.still(40);
        QCOMPARE(m_counted, 1);
        QCOMPARE(m_detector.eyeState(0).scan, m_detector.frameCounter() + 1);
        // The marker counts the frames down by itself; the preview only reads it.
        QCOMPARE(m_detector.blinkMarker(), BlinkDetector::blinkMarkerFrames - 40);
    }

    void shortOpeningCompletesAtFirstFrameBeyondShortestBlink()
    {
        Feeder feed{m_detector};
        feed.still(3, 0.02);
        feed.frame(kDown, kStill, 0.02);
        feed.frame(kDown, kStill, 0.02);
        feed.frame(kUp, kStill, 0.02);
        feed.frame(kUp, kStill, 0.02);     // the opening ends 0.08 s after the start
        feed.frame(kStill, kStill, 0.015); // 0.095 s
        QCOMPARE(m_detector.eyeState(0).state, 2);
        feed.frame(kStill, kStill, 0.015); // 0.11 s: only now beyond 0.1
        QCOMPARE(m_counted, 0);
        QCOMPARE(m_detector.eyeState(0).state, 2);
        feed.frame(kStill, kStill, 0.02);
        QCOMPARE(m_counted, 1);
        QCOMPARE(m_detector.lastEyeEvent().start, quint64(3));
        QCOMPARE(m_detector.lastEyeEvent().end, quint64(9));
        QVERIFY(qAbs(m_detector.lastEyeEvent().duration - 0.11) < 1e-9);
    }

    void shortOpeningIsDroppedByNewClosing()
    {
        Feeder feed{m_detector};
        feed.still(3, 0.02);
        feed.frame(kDown, kStill, 0.02);
        feed.frame(kDown, kStill, 0.02);
        feed.frame(kUp, kStill, 0.02);
        feed.frame(kUp, kStill, 0.02);
        feed.frame(kStill, kStill, 0.015);
        feed.frame(kDown, kStill, 0.015); // the lid closes again before 0.1 s
        QCOMPARE(m_detector.eyeState(0).state, 1);
        QCOMPARE(m_detector.eyeState(0).start, quint64(8));
        feed.still(40);
        QCOMPARE(m_counted, 0);
        QCOMPARE(m_detector.blinkMarker(), 0);
        QCOMPARE(m_detector.eyeState(0).state, 0);
    }

    void closingAmplitude_data()
    {
        QTest::addColumn<double>("spread");
        QTest::addColumn<bool>("counted");
        QTest::newRow("weak") << 0.003 << false;
        QTest::newRow("exactly the amplitude threshold") << 0.00375 << false;
        QTest::newRow("strong enough") << 0.004 << true;
    }

    void closingAmplitude()
    {
        QFETCH(double, spread);
        QFETCH(bool, counted);
        Feeder feed{m_detector};
        feed.still(3);
        feed.frame({0.01, spread});
        feed.frame({0.01, spread});
        QCOMPARE(m_detector.eyeState(0).state, 1);
        feed.frame(kUp); // the first upward motion decides
        QCOMPARE(m_detector.eyeState(0).state, counted ? 2 : 0);
        feed.frame(kUp);
        feed.frame(kUp);
        feed.still(3);
        QCOMPARE(m_counted, counted ? 1 : 0);
    }

    void eventsOfBothEyes_data()
    {
        QTest::addColumn<int>("secondFirstFrame");
        QTest::addColumn<int>("secondPhase");
        QTest::addColumn<int>("blinks");
        // The first eye's event spans frames 10 to 20.
        QTest::newRow("43 % overlap: one blink") << 15 << 5 << 1;
        QTest::newRow("exactly 30 %: one blink") << 15 << 8 << 1;
        QTest::newRow("18 % overlap: two blinks") << 18 << 5 << 2;
        QTest::newRow("apart: two blinks") << 40 << 5 << 2;
    }

    void eventsOfBothEyes()
    {
        QFETCH(int, secondFirstFrame);
        QFETCH(int, secondPhase);
        QFETCH(int, blinks);
        const int frames = 70;
        playBoth(blinkPattern(frames, 11, 5, 5),
                 blinkPattern(frames, secondFirstFrame, secondPhase, secondPhase));
        QCOMPARE(m_counted, blinks);
        QCOMPARE(m_detector.blinkCount, double(blinks));
        const double first = 10 * kDt;
        const double second = 2 * secondPhase * kDt;
        const double expected =
            blinks == 1 ? (0.25 + first) / 2 : (0.25 + first) / 2 + (first + second) / 2;
        QVERIFY(qAbs(m_detector.blinkDurationSum - expected) < 1e-9);
        QCOMPARE(m_detector.lastEyeEvent().start, quint64(secondFirstFrame - 1));
        QCOMPARE(m_detector.lastEyeEvent().end, quint64(secondFirstFrame + 2 * secondPhase - 1));
    }

    void mergeRatio()
    {
        using E = BlinkDetector::EyeEvent;
        QVERIFY(BlinkDetector::isNewBlink(E{10, 20, 0.3, 0}, E{30, 40, 0.3, 0}));  // apart
        QVERIFY(!BlinkDetector::isNewBlink(E{10, 20, 0.3, 0}, E{14, 24, 0.3, 0})); // 6/14
        QVERIFY(BlinkDetector::isNewBlink(E{10, 20, 0.3, 0}, E{17, 27, 0.3, 0}));  // 3/17
        QVERIFY(!BlinkDetector::isNewBlink(E{10, 20, 0.3, 0}, E{14, 30, 0.3, 0})); // 0.3
        QVERIFY(!BlinkDetector::isNewBlink(E{10, 20, 0.3, 0}, E{5, 10, 0.3, 0}));  // 0 / 0
        QVERIFY(!BlinkDetector::isNewBlink(E{10, 20, 0.3, 0}, E{4, 10, 0.3, 0}));  // x / 0
        // An event found late by a re-scan, wholly before the last one, is another blink.
        QVERIFY(BlinkDetector::isNewBlink(E{10, 20, 0.3, 0}, E{2, 6, 0.3, 0}));
    }

    void entriesOfFacelessFramesAreConsumedLater()
    {
        Feeder feed{m_detector};
        feed.frame(kStill, kStill, kDt, false); // a run's first frame has no previous face
        QCOMPARE(m_detector.eyeState(0).scan, quint64(0));
        feed.still(2);
        feed.frame(kDown);
        feed.frame(kDown);
        feed.frame(kDown);
        feed.frame(kStill, kStill, 0.05, false); // frame 7: the previous frame had no face
        QCOMPARE(m_detector.eyeState(0).scan, quint64(7));
        QCOMPARE(m_detector.eyeState(1).scan, quint64(7));
        feed.frame(kUp);
        QCOMPARE(m_detector.eyeState(0).scan, quint64(9));
        feed.frame(kUp);
        feed.frame(kStill);
        QCOMPARE(m_counted, 1);
        QCOMPARE(m_detector.lastEyeEvent().start, quint64(3));
        QCOMPARE(m_detector.lastEyeEvent().end, quint64(9));
        // The zero entry of frame 7 was consumed: its interval is part of the blink.
        QVERIFY(qAbs(m_detector.lastEyeEvent().duration - (5 * kDt + 0.05)) < 1e-9);
    }

    void eventInsideDroppedCandidateIsFound()
    {
        Feeder feed{m_detector};
        feed.still(2);
        feed.frame(kDown); // frame 3 opens a candidate that grows too old
        feed.still(13);
        feed.frame(kDown); // frames 17 and 18: the real closing
        feed.frame(kDown);
        feed.frame(kUp);
        QCOMPARE(m_detector.eyeState(0).start, quint64(2));
        feed.frame(kUp); // frame 20: the old candidate passes 0.5 s and is dropped
        QCOMPARE(m_detector.eyeState(0).state, 2);
        QCOMPARE(m_detector.eyeState(0).start, quint64(16));
        QCOMPARE(m_detector.eyeState(0).scan, quint64(21));
        feed.frame(kStill);
        QCOMPARE(m_counted, 1);
        QCOMPARE(m_detector.lastEyeEvent().start, quint64(16));
        QCOMPARE(m_detector.lastEyeEvent().end, quint64(20));
        QVERIFY(qAbs(m_detector.lastEyeEvent().duration - 4 * kDt) < 1e-9);
    }

    void candidateOlderThanLongestBlinkIsDropped()
    {
        Feeder feed{m_detector};
        feed.still(2);
        feed.frame(kDown);
        feed.frame(kDown);
        feed.still(30); // the lid stays down for 0.96 s, beyond the rest a long blink may have
        feed.frame(kUp);
        feed.frame(kUp);
        feed.still(3);
        QCOMPARE(m_counted, 0);
        QCOMPARE(m_detector.blinkMarker(), 0);
    }

    void longBlinkResting_data()
    {
        QTest::addColumn<int>("drift");    // weak downward frames, each followed by 3 still ones
        QTest::addColumn<int>("rest");     // still frames with the lid down
        QTest::addColumn<bool>("counted"); // 0.06 s closing and 0.06 s opening around the rest
        QTest::newRow("rests 0.45 s") << 0 << 15 << true;
        QTest::newRow("rests 0.66 s: 0.78 s long") << 0 << 22 << true;
        QTest::newRow("rests 0.69 s: 0.81 s long, 0.51 s without the rest") << 0 << 23 << false;
        QTest::newRow("drift before it, rests 0.45 s") << 2 << 15 << true;
    }

    void longBlinkResting()
    {
        QFETCH(int, drift);
        QFETCH(int, rest);
        QFETCH(bool, counted);
        Feeder feed{m_detector};
        feed.still(2);
        for (int i = 0; i < drift; ++i) {
            feed.frame({0.01, 0.003});
            feed.still(3);
        }
        const auto closing = static_cast<quint64>(m_detector.frameCounter() + 1);
        feed.frame(kDown);
        feed.frame(kDown);
        feed.still(rest);
        feed.frame(kUp);
        feed.frame(kUp);
        feed.still(3);
        QCOMPARE(m_counted, counted ? 1 : 0);
        if (counted) {
            // The drift does not open it: the event starts with the lid's one movement down.
            QCOMPARE(m_detector.lastEyeEvent().start, closing - 1);
            QCOMPARE(m_detector.lastEyeEvent().end, closing + 3 + static_cast<quint64>(rest));
            QVERIFY(qAbs(m_detector.lastEyeEvent().duration - (4 + rest) * kDt) < 1e-9);
        }
    }

    void longBlinkYieldsToAnEventInsideIt()
    {
        // A candidate the lid opened and that rests, then a blink of its own before the limit
        // with the rest: the main scan's event is the one counted, as without the long blink.
        Feeder feed{m_detector};
        feed.still(2);
        feed.frame(kDown);
        feed.frame(kDown);
        feed.still(12);
        feed.frame(kDown);
        feed.frame(kDown);
        feed.frame(kUp);
        feed.frame(kUp);
        feed.still(3);
        QCOMPARE(m_counted, 1);
        QCOMPARE(m_detector.lastEyeEvent().start, quint64(16));
        QCOMPARE(m_detector.lastEyeEvent().end, quint64(20));
    }

    void frameRate()
    {
        Feeder feed{m_detector};
        // Intervals as the nanosecond clock gives them at 9 frames per second.
        for (int n = 1; n < 31; ++n) {
            feed.frame(kStill, kStill, 111111111e-9);
            QVERIFY(!m_detector.updateFrameRate());
            QCOMPARE(m_detector.frameRate(), 30);
        }
        feed.frame(kStill, kStill, 111111111e-9);
        QVERIFY(m_detector.updateFrameRate());
        QCOMPARE(m_detector.frameRate(), 9);
        // The next window covers frames 32 to 62 only.
        for (int n = 32; n <= 62; ++n) {
            feed.frame(kStill, kStill, 55555555e-9);
            QCOMPARE(m_detector.updateFrameRate(), n == 62);
        }
        QCOMPARE(m_detector.frameRate(), 18);
        // A clock that did not move gives the largest rate, not an undefined cast.
        for (int n = 63; n <= 93; ++n) {
            feed.frame(kStill, kStill, 0.0);
        }
        QVERIFY(m_detector.updateFrameRate());
        QCOMPARE(m_detector.frameRate(), std::numeric_limits<int>::max());
    }

    // Frame numbers restart with every run; the last eye event of the run before must not take
    // the new run's first blink for its other half.
    void firstBlinkOfARunIsNotMergedIntoTheRunBefore_data()
    {
        QTest::addColumn<bool>("newRun"); // else: another camera in the middle of the run
        QTest::newRow("new run") << true;
        QTest::newRow("camera switch") << false;
    }

    void firstBlinkOfARunIsNotMergedIntoTheRunBefore()
    {
        QFETCH(bool, newRun);
        const std::vector<EyeMotion> blink = blinkPattern(30, 11, 5, 5);
        playBoth(blink, blink);
        QCOMPARE(m_counted, 1);
        if (newRun) {
            m_detector.resetForRun();
        } else {
            m_detector.restartFrames();
        }
        playBoth(blink, blink); // the same frame numbers once more
        QCOMPARE(m_counted, 2);
        QCOMPARE(m_detector.blinkCount, newRun ? 1.0 : 2.0);
    }

    void resetsClearRunStateAndIndexZero()
    {
        Feeder feed{m_detector};
        feed.still(BlinkDetector::historyLength - 10);
        feed.frame(kDown); // a blink at frames 9991 to 9996
        feed.frame(kDown);
        feed.frame(kUp);
        feed.frame(kUp);
        feed.frame(kUp);
        feed.still(4);
        feed.frame(kDown); // frame 10000 writes history index 0
        QCOMPARE(m_detector.eyeState(0).state, 1);
        QCOMPARE(m_counted, 1);
        QVERIFY(m_detector.blinkMarker() > 0);
        const BlinkDetector::EyeEvent lastBefore = m_detector.lastEyeEvent();

        // Another camera mid-run: a new frame sequence, but the blink still counts.
        m_detector.restartFrames();
        QCOMPARE(m_detector.blinkCount, 1.0);
        QCOMPARE(m_detector.frameCounter(), quint64(0));
        QCOMPARE(m_detector.frameRate(), 30);
        QCOMPARE(m_detector.blinkMarker(), 0);
        QCOMPARE(m_detector.eyeState(0).state, 0);
        QCOMPARE(m_detector.eyeState(0).scan, quint64(0));
        // The last event keeps its length for the next blink's, but not its frames.
        QCOMPARE(m_detector.lastEyeEvent().duration, lastBefore.duration);
        QCOMPARE(m_detector.lastEyeEvent().end, quint64(0));
        // A new run starts from no blinks.
        m_detector.resetForRun();
        QCOMPARE(m_detector.blinkCount, 0.0);
        QCOMPARE(m_detector.blinkDurationSum, 0.0);

        // Had index 0 kept the downward motion, this weak closing would complete a blink.
        feed.frame(kDown);
        feed.frame(kUp);
        feed.frame(kUp);
        feed.still(3);
        QCOMPARE(m_detector.blinkCount, 0.0);
    }
};

QTEST_APPLESS_MAIN(TestBlinkDetector)
#include "test_blinkdetector.moc"
