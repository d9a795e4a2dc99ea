#include "model/EyeMotionMeter.h"
#include "model/FarnebackFlow.h"
#include "model/HeadMotionTracker.h"
#include "support/SyntheticFace.h"

#include <QtTest>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

namespace {

// A textured grey frame with horizontal bands (vertical structure for the flow to follow) and
// noise, shifted down by `shift` pixels inside the band rows only.
cv::Mat texturedFrame(int shift)
{
    cv::Mat frame(480, 640, CV_8UC1, cv::Scalar(110));
    cv::RNG rng(7);
    cv::Mat texture(200, 640, CV_8UC1);
    rng.fill(texture, cv::RNG::UNIFORM, 40, 220);
    cv::GaussianBlur(texture, texture, cv::Size(7, 7), 2.0);
    texture(cv::Rect(0, 0, 640, 200 - shift))
        .copyTo(frame(cv::Rect(0, 150 + shift, 640, 200 - shift)));
    return frame;
}

cv::Mat blurred(const cv::Mat& grey)
{
    cv::Mat out;
    cv::blur(grey, out, cv::Size(3, 3));
    return out;
}

constexpr double kT = 0.0025; // the detector's flow threshold
const cv::Rect kFaceBox(200, 100, 240, 280);

QString show(const EyeMotion& motion)
{
    return QStringLiteral("mean %1, spread %2").arg(motion.mean).arg(motion.spread);
}

// The first eye as the engine measures it, with or without the head held still.
EyeMotion measure(const SyntheticFace& face, const cv::Mat& previous, const cv::Mat& current,
                  bool stabilised)
{
    std::optional<cv::Matx23d> head;
    if (stabilised) {
        HeadMotionTracker tracker;
        const cv::Size size = previous.size();
        tracker.pickPoints(previous,
                           FaceRecord{kFaceBox.x, kFaceBox.y, kFaceBox.width, kFaceBox.height},
                           {EyeMotionMeter::square(face.eyes().first, size),
                            EyeMotionMeter::square(face.eyes().second, size)});
        head = tracker.follow(previous, current);
        if (!head) {
            return {1.0, 1.0}; // fails every check
        }
    }
    EyeMotionMeter meter;
    return meter.measure(blurred(previous), current, face.eyes().first, face.eyeDistance(),
                         head ? &*head : nullptr);
}

// The first eye less the motion beside both eyes, as the engine combines them.
EyeMotion measureBeside(const SyntheticFace& face, const cv::Mat& previous, const cv::Mat& current)
{
    EyeMotionMeter meter;
    EyeMotion first = meter.measure(blurred(previous), current, face.eyes().first,
                                    face.eyeDistance(), nullptr, true);
    const EyeMotion second = meter.measure(blurred(previous), current, face.eyes().second,
                                           face.eyeDistance(), nullptr, true);
    first.mean -= (first.beside + second.beside) / 2.0;
    return first;
}

} // namespace

Q_DECLARE_METATYPE(cv::Matx23d)

class TestEyeMotion : public QObject
{
    Q_OBJECT

private slots:
    // The blink signal: only the upper lid moves, down while closing and up while opening, and
    // the meter reads it whether or not the head is held still.
    void upperLidMotionGivesTheBlinkSignal_data()
    {
        QTest::addColumn<bool>("stabilised");
        QTest::newRow("as it comes") << false;
        QTest::newRow("head held still") << true;
    }

    void upperLidMotionGivesTheBlinkSignal()
    {
        QFETCH(bool, stabilised);
        const SyntheticFace face(kFaceBox);
        const EyeMotion closing = measure(face, face.render(0.0), face.render(0.5), stabilised);
        QVERIFY2(closing.mean > 2 * kT && closing.spread > 2 * kT, qPrintable(show(closing)));
        const EyeMotion opening = measure(face, face.render(0.5), face.render(0.0), stabilised);
        QVERIFY2(opening.mean < -2 * kT && opening.spread > 2 * kT, qPrintable(show(opening)));
        // The normaliser is the distance between the eyes.
        EyeMotionMeter meter;
        const EyeMotion inPixels =
            meter.measure(blurred(face.render(0.0)), face.render(0.5), face.eyes().first, 1.f);
        const EyeMotion normalised =
            meter.measure(blurred(face.render(0.0)), face.render(0.5), face.eyes().first, 100.f);
        QVERIFY(qAbs(normalised.mean - inPixels.mean / 100.0) < 1e-6);
    }

    // The engine's Farneback flow is OpenCV's to the bit: square and oblong images, sides that
    // build no coarser level or leave pixels beyond whole vectors of eight, motions that carry
    // pixels off the image, and a rotation.
    void farnebackFlowIsOpenCvs_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::addColumn<double>("degrees");
        QTest::newRow("100 px, lid-like") << 100 << 100 << 0.0 << 1.5 << 0.0;
        QTest::newRow("20 px, no pyramid") << 20 << 20 << 0.5 << 0.5 << 0.0;
        QTest::newRow("7 x 9, left to OpenCV") << 7 << 9 << 0.5 << -0.5 << 0.0;
        QTest::newRow("37 x 53, tails") << 37 << 53 << -1.0 << 2.0 << 0.0;
        QTest::newRow("150 x 90, fast") << 150 << 90 << 6.0 << -9.0 << 0.0;
        QTest::newRow("112 px, turning") << 112 << 112 << 0.0 << 0.0 << 4.0;
    }

    void farnebackFlowIsOpenCvs()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, dx);
        QFETCH(double, dy);
        QFETCH(double, degrees);
        cv::Mat previous(height, width, CV_8UC1);
        cv::RNG rng(width * 31 + height);
        rng.fill(previous, cv::RNG::UNIFORM, 30, 230);
        cv::GaussianBlur(previous, previous, cv::Size(5, 5), 1.5);
        cv::Matx23d motion =
            cv::getRotationMatrix2D(cv::Point2f(width / 2.f, height / 2.f), degrees, 1.0);
        motion(0, 2) += dx;
        motion(1, 2) += dy;
        cv::Mat next;
        cv::warpAffine(previous, next, motion, previous.size(), cv::INTER_LINEAR,
                       cv::BORDER_REFLECT);

        cv::Mat expected;
        cv::calcOpticalFlowFarneback(previous, next, expected, 0.5, 3, 15, 3, 5, 1.2, 0);
        FarnebackFlow flow({0.5, 3, 15, 3, 5, 1.2});
        // Into a view of a larger buffer, as the engine does; twice, as buffers are reused.
        cv::Mat buffer(height + 7, width + 9, CV_32FC2, cv::Scalar::all(-5));
        cv::Mat actual = buffer(cv::Rect(0, 0, width, height));
        for (int run = 0; run < 2; ++run) {
            flow.calc(previous, next, actual);
            QCOMPARE(actual.data, buffer.data);
            QCOMPARE(cv::norm(actual, expected, cv::NORM_INF), 0.0);
        }
        QVERIFY(cv::norm(expected, cv::NORM_INF) > 0.1);
    }

    // A large eye's square is measured resampled to a smaller one; its motion still reads in
    // pixels of the frame: a head moving 2 px down moves both eyes by about 2 px.
    void motionReadsInFramePixelsAtEveryEyeSize()
    {
        for (const int width : {120, 640}) {
            const SyntheticFace face(cv::Rect(640 - width / 2, 80, width, width * 7 / 6),
                                     cv::Size(1280, 960));
            EyeMotionMeter meter;
            const EyeMotion motion = meter.measure(blurred(face.render(0.0)),
                                                   face.render(0.0, SyntheticFace::shift(0.0, 2.0)),
                                                   face.eyes().first, 1.f);
            QVERIFY2(motion.measured && qAbs(motion.mean - 2.0) < 0.5,
                     qPrintable(QStringLiteral("face %1 px: %2").arg(width).arg(show(motion))));
        }
    }

    // A moving head moves the whole square: as it comes that reads as lid motion, with the head
    // held still the mean stays near zero.
    void headMotionGivesAMeanNearZero_data()
    {
        QTest::addColumn<cv::Matx23d>("pose");
        const cv::Point2f centre = SyntheticFace(kFaceBox).centre();
        QTest::newRow("shift down") << SyntheticFace::shift(0, 3);
        QTest::newRow("shift down 2.5 px") << SyntheticFace::shift(0, 2.5);
        QTest::newRow("shift up and aside") << SyntheticFace::shift(4, -5);
        // A fast nod (30 degrees a second) shortens the face by about 0.3 % a frame; 0.5 % here.
        QTest::newRow("nod") << SyntheticFace::nod(3, 0.005, centre);
        QTest::newRow("zoom") << SyntheticFace::zoom(1.04, centre);
    }

    void headMotionGivesAMeanNearZero()
    {
        QFETCH(cv::Matx23d, pose);
        const SyntheticFace face(kFaceBox);
        const cv::Mat before = face.render(0.0);
        const cv::Mat after = face.render(0.0, pose);
        const EyeMotion raw = measure(face, before, after, false);
        QVERIFY2(qAbs(raw.mean) > 2 * kT, qPrintable(show(raw)));
        // What is left is the tracker's error, a tenth of a pixel: below the threshold, so the
        // head's motion cannot start a blink.
        const EyeMotion held = measure(face, before, after, true);
        QVERIFY2(qAbs(held.mean) < kT, qPrintable(show(held)));
        // The eyes move together, so the shared motion beside them takes most of the head's out
        // too.
        const EyeMotion beside = measureBeside(face, before, after);
        QVERIFY2(qAbs(beside.mean) < qAbs(raw.mean) / 2, qPrintable(show(beside)));
    }

    // A lid closing while the head moves down: with the margin for head motion, the downward
    // motion loses a share of the head's (here 3 px); without it, all of it is the lid's.
    void headMotionMarginCanBeSwitchedOff()
    {
        const SyntheticFace face(kFaceBox);
        const cv::Matx23d down = SyntheticFace::shift(0, 3);
        const cv::Mat previous = blurred(face.render(0.0));
        const cv::Mat current = face.render(0.5, down);
        EyeMotionMeter meter;
        QVERIFY(meter.headMotionMargin());
        const EyeMotion kept =
            meter.measure(previous, current, face.eyes().first, face.eyeDistance(), &down);
        meter.setHeadMotionMargin(false);
        const EyeMotion whole =
            meter.measure(previous, current, face.eyes().first, face.eyeDistance(), &down);
        QVERIFY2(whole.mean > 2 * kT, qPrintable(show(whole)));
        const double margin = 0.4 * 3 / face.eyeDistance();
        QVERIFY2(qAbs(whole.mean - std::max(0.0, kept.mean) - std::min(margin, whole.mean)) < 1e-9,
                 qPrintable(show(kept) + " / " + show(whole)));
        QCOMPARE(whole.spread, kept.spread);
    }

    void noMotionGivesAboutZero()
    {
        const SyntheticFace face(kFaceBox);
        const cv::Mat frame = face.render(0.0);
        for (bool stabilised : {false, true}) {
            const EyeMotion motion = measure(face, frame, frame, stabilised);
            QVERIFY2(qAbs(motion.mean) < kT / 10 && motion.spread < kT / 2,
                     qPrintable(show(motion)));
        }
    }

    void headTrackerNeedsAFace()
    {
        HeadMotionTracker tracker;
        const cv::Mat flat(480, 640, CV_8UC1, cv::Scalar(120));
        tracker.pickPoints(flat, FaceRecord{200, 100, 240, 280}, {});
        QVERIFY(tracker.needsPoints()); // no corners on a flat picture
        QVERIFY(!tracker.follow(flat, flat));
        const SyntheticFace face(kFaceBox);
        tracker.pickPoints(face.render(0.0), FaceRecord{200, 100, 240, 280}, {});
        QVERIFY(!tracker.needsPoints());
        QVERIFY(!tracker.follow(face.render(0.0), cv::Mat(240, 320, CV_8UC1))); // another size
        QVERIFY(tracker.needsPoints());
    }

    void onlySquaresAboveSideFiveInsideTheFrameAreMeasured_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<int>("roi");
        QTest::addColumn<bool>("measured");
        QTest::newRow("side 6") << 300.f << 250.f << 6 << true;
        QTest::newRow("side 5") << 300.f << 250.f << 5 << false;
        QTest::newRow("side 0") << 300.f << 250.f << 0 << false;
        QTest::newRow("negative size") << 300.f << 250.f << -20 << false;
        QTest::newRow("clipped to 5 at the right edge") << 653.f << 250.f << 40 << false;
        QTest::newRow("clipped to 5 at the bottom edge") << 300.f << 493.f << 40 << false;
        QTest::newRow("beyond the right edge") << 900.f << 250.f << 40 << false;
        QTest::newRow("not a number")
            << std::numeric_limits<float>::quiet_NaN() << 250.f << 40 << false;
        QTest::newRow("infinitely far")
            << std::numeric_limits<float>::infinity() << 250.f << 40 << false;
    }

    void onlySquaresAboveSideFiveInsideTheFrameAreMeasured()
    {
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(int, roi);
        QFETCH(bool, measured);
        EyeMotionMeter meter;
        const EyeMotion motion =
            meter.measure(blurred(texturedFrame(0)), texturedFrame(2), EyeValues{x, y, roi}, 1.f);
        if (measured) {
            QVERIFY(motion.mean != 0.0);
        } else {
            QCOMPARE(motion.mean, 0.0);
            QCOMPARE(motion.spread, 0.0);
        }
    }

    void squareAtTheTopLeftIsClampedAndMeasured()
    {
        // left and top below 1 become 1; the square keeps its side and is measured.
        EyeMotionMeter meter;
        cv::Mat previous = texturedFrame(0);
        cv::Mat current = texturedFrame(2);
        // Bring texture to the top-left corner.
        previous(cv::Rect(0, 150, 100, 100)).copyTo(previous(cv::Rect(0, 0, 100, 100)));
        current(cv::Rect(0, 150, 100, 100)).copyTo(current(cv::Rect(0, 0, 100, 100)));
        const EyeMotion motion =
            meter.measure(blurred(previous), current, EyeValues{5.f, 5.f, 60}, 1.f);
        QVERIFY2(motion.mean > 0.0025, qPrintable(QString::number(motion.mean)));
    }

    void resultDoesNotDependOnEarlierEyeSizes()
    {
        const cv::Mat previous = blurred(texturedFrame(0));
        const cv::Mat current = texturedFrame(1);
        const EyeValues small{300.f, 250.f, 40};
        EyeMotionMeter fresh;
        const EyeMotion expected = fresh.measure(previous, current, small, 50.f);
        EyeMotionMeter reused;
        reused.measure(previous, current, EyeValues{250.f, 240.f, 90}, 50.f);
        const EyeMotion again = reused.measure(previous, current, small, 50.f);
        QCOMPARE(again.mean, expected.mean);
        QCOMPARE(again.spread, expected.spread);
    }
};

QTEST_APPLESS_MAIN(TestEyeMotion)
#include "test_eyemotion.moc"
