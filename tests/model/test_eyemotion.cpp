#include "model/EyeMotionMeter.h"

#include <QtTest>
#include <opencv2/imgproc.hpp>

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

} // namespace

class TestEyeMotion : public QObject
{
    Q_OBJECT

private slots:
    void downwardMotionGivesPositiveMean_data()
    {
        QTest::addColumn<int>("shift");
        QTest::newRow("1 px") << 1;
        QTest::newRow("2 px") << 2;
    }

    void downwardMotionGivesPositiveMean()
    {
        QFETCH(int, shift);
        EyeMotionMeter meter;
        const EyeValues eye{300.f, 250.f, 60};
        const float distance = 1.f; // normaliser max(1, d): the mean is in pixels
        const EyeMotion motion =
            meter.measure(blurred(texturedFrame(0)), texturedFrame(shift), eye, distance);
        QVERIFY2(motion.mean > 0.0025, qPrintable(QString::number(motion.mean)));
        QVERIFY2(qAbs(motion.mean - shift) < 0.5 * shift, qPrintable(QString::number(motion.mean)));

        // The same motion seen from far eyes is normalised by their distance.
        const EyeMotion normalised =
            meter.measure(blurred(texturedFrame(0)), texturedFrame(shift), eye, 100.f);
        QVERIFY(qAbs(normalised.mean - motion.mean / 100.0) < 1e-6);
        QVERIFY(normalised.spread < motion.spread);

        // Upward motion reads negative.
        const EyeMotion up =
            meter.measure(blurred(texturedFrame(shift)), texturedFrame(0), eye, distance);
        QVERIFY(up.mean < -0.0025);
    }

    void noMotionGivesAboutZero()
    {
        EyeMotionMeter meter;
        const cv::Mat frame = texturedFrame(0);
        const EyeMotion motion =
            meter.measure(blurred(frame), frame, EyeValues{300.f, 250.f, 60}, 60.f);
        QVERIFY2(qAbs(motion.mean) < 0.0025, qPrintable(QString::number(motion.mean)));
        QVERIFY(motion.spread < 0.0025);
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
