#include "model/PreviewRenderer.h"

#include <QtTest>

namespace {

constexpr float kScale = 1.6f; // 640-pixel frame shown 400 wide
const QRgb kGreen = qRgb(152, 200, 0);
const QRgb kEyeBlue = qRgb(0, 202, 255);

cv::Mat blackFrame()
{
    return cv::Mat(480, 640, CV_8UC3, cv::Scalar(0, 0, 0));
}

bool anyPixel(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test)
{
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (test(image.pixel(x, y))) {
                return true;
            }
        }
    }
    return false;
}

bool isEyeBlue(QRgb p)
{
    return qRed(p) == 0 && qGreen(p) > 0 && qBlue(p) > qGreen(p);
}

QRgb brightest(const QImage& image, const QRect& area)
{
    QRgb best = qRgb(0, 0, 0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) + qGreen(p) + qBlue(p) > qRed(best) + qGreen(best) + qBlue(best)) {
                best = p;
            }
        }
    }
    return best;
}

} // namespace

class TestPreviewRenderer : public QObject
{
    Q_OBJECT

private:
    PreviewRenderer m_renderer;
    const double m_fontFactor = 0.75;

private slots:
    void frameIsScaledAndChannelsSwapped()
    {
        cv::Mat frame(360, 640, CV_8UC3, cv::Scalar(10, 20, 30)); // blue, green, red
        QImage target(400, 300, QImage::Format_RGB888);
        m_renderer.render(frame, kScale, 30, 0, nullptr, EyePair(), m_fontFactor, target);
        QCOMPARE(target.format(), QImage::Format_RGB888);
        QCOMPARE(target.size(), QSize(400, 225));
        QCOMPARE(target.pixel(200, 200), qRgb(30, 20, 10));
        // Without a face nothing green is drawn outside the frame-rate label.
        QVERIFY(!anyPixel(target, QRect(0, 40, 400, 185), [](QRgb p) { return p == kGreen; }));
    }

    void faceBoxAndBlinkLabel()
    {
        const FaceRecord face{200, 120, 200, 200};
        QImage target(400, 300, QImage::Format_RGB888);
        m_renderer.render(blackFrame(), kScale, 30, 1, &face, EyePair(), m_fontFactor, target);
        // The box starts at (125, 75) and is round(125) - 2 = 123 wide and high.
        QCOMPARE(target.pixel(125, 150), kGreen);
        QCOMPARE(target.pixel(248, 150), kGreen);
        QCOMPARE(target.pixel(180, 75), kGreen);
        QCOMPARE(target.pixel(180, 198), kGreen);
        QCOMPARE(target.pixel(126, 150), qRgb(0, 0, 0));
        QCOMPARE(target.pixel(249, 150), qRgb(0, 0, 0));
        // The label shows while the marker runs, and not once it is down to 0.
        QVERIFY(anyPixel(target, QRect(120, 0, 160, 35), isEyeBlue));
        m_renderer.render(blackFrame(), kScale, 30, 0, &face, EyePair(), m_fontFactor, target);
        QVERIFY(!anyPixel(target, QRect(120, 0, 160, 35), isEyeBlue));
    }

    void eyeCircles()
    {
        const FaceRecord face{0, 0, 630, 470};
        EyePair eyes;
        eyes.first = {320.f, 240.f, 80}; // r = 24, centre (199, 149), drawn radius 12
        eyes.second = {10.f, 240.f, 80}; // too close to the left border
        QImage target(400, 300, QImage::Format_RGB888);
        m_renderer.render(blackFrame(), kScale, 30, 0, &face, eyes, m_fontFactor, target);
        QVERIFY(anyPixel(target, QRect(210, 148, 3, 3), isEyeBlue));
        QVERIFY(anyPixel(target, QRect(198, 136, 3, 3), isEyeBlue));
        QVERIFY(!anyPixel(target, QRect(193, 143, 12, 12), isEyeBlue)); // only the outline
        QVERIFY(!anyPixel(target, QRect(2, 100, 60, 100), isEyeBlue));

        // Near the bottom border, and a disc too small to show: no circles.
        eyes.first = {320.f, 450.f, 80};
        eyes.second = {320.f, 240.f, 16}; // r = 4
        m_renderer.render(blackFrame(), kScale, 30, 0, &face, eyes, m_fontFactor, target);
        QVERIFY(!anyPixel(target, QRect(2, 40, 396, 258), isEyeBlue));
    }

    void frameRateLabelColour_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("colour");
        QTest::newRow("30") << 30 << "green";
        QTest::newRow("21") << 21 << "green";
        QTest::newRow("20") << 20 << "orange";
        QTest::newRow("16") << 16 << "orange";
        QTest::newRow("15") << 15 << "red";
        QTest::newRow("9") << 9 << "red";
    }

    void frameRateLabelColour()
    {
        QFETCH(int, rate);
        QFETCH(QString, colour);
        QImage target(400, 300, QImage::Format_RGB888);
        m_renderer.render(blackFrame(), kScale, rate, 0, nullptr, EyePair(), m_fontFactor, target);
        // Anti-aliased text on black keeps the pen's channel proportions.
        const QRgb p = brightest(target, QRect(15, 5, 100, 32));
        QVERIFY2(qRed(p) + qGreen(p) > 100, "no frame-rate label drawn");
        QCOMPARE(qBlue(p), 0);
        if (colour == "green") {
            QVERIFY(qGreen(p) > qRed(p) && qRed(p) > qGreen(p) / 2);
        } else if (colour == "orange") {
            QVERIFY(qRed(p) > 2 * qGreen(p) && qGreen(p) > 0);
        } else {
            QVERIFY(qRed(p) > 0 && qGreen(p) == 0);
        }
    }
};

QTEST_MAIN(TestPreviewRenderer)
#include "test_previewrenderer.moc"
