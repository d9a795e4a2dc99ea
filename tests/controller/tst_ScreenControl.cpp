#include "ControllerHarness.h"
#include "controller/GammaRamp.h"
#include "controller/ScreenControl.h"
#include "platform/fake/FakeBacklight.h"
#include "platform/fake/FakeExternalMonitors.h"
#include "platform/fake/FakeScreenGamma.h"

#include <QtTest>

using Status = ExternalMonitors::Status;
Q_DECLARE_METATYPE(QList<int>)

namespace {

// A factory that hands over a fake made now, so that a test can set it up before the controller
// asks for it and still reach it afterwards.
template <class Interface, class Fake>
std::function<std::unique_ptr<Interface>()> handOver(Fake*& fake)
{
    auto holder = std::make_shared<std::unique_ptr<Fake>>(std::make_unique<Fake>());
    fake = holder->get();
    return [holder] { return std::unique_ptr<Interface>(std::move(*holder)); };
}

// A controller whose screen devices are fakes: a panel at 50 % and no external monitor until a
// test plugs one in.
struct ScreenRig
{
    ScreenRig()
    {
        devices = {handOver<ScreenGamma>(gamma), handOver<Backlight>(backlight),
                   handOver<ExternalMonitors>(monitors)};
        backlight->level = 50;
    }
    ControllerHarness& harness()
    {
        if (!h) {
            h = std::make_unique<ControllerHarness>(true, devices);
        }
        return *h;
    }
    ApplicationController& c() { return *harness().controller; }
    QStringList signalsSent() { return harness().log->take(); }
    void plugMonitor(unsigned current, unsigned maximum = 100)
    {
        monitors->monitors.append(
            {QStringLiteral("Monitor %1").arg(monitors->monitors.size()), {0, current, maximum}});
    }
    // The red top entry of the last ramp loaded: 44625 + 2550 x the dimming level 0..8.
    int lastRedTop() const { return gamma->applied.empty() ? -1 : gamma->applied.back().red[255]; }

    ScreenControl::Devices devices;
    FakeScreenGamma* gamma = nullptr;
    FakeBacklight* backlight = nullptr;
    FakeExternalMonitors* monitors = nullptr;
    std::unique_ptr<ControllerHarness> h;
};

} // namespace

class ScreenControlTest : public QObject
{
    Q_OBJECT

private slots:
    void gammaRampReference_data();
    void gammaRampReference();
    void gammaRampLoadsTwiceAndRetries();
    void nearestSupportedLevel_data();
    void nearestSupportedLevel();
    void detection_data();
    void detection();
    void sliderPanelAndChangeEvents();
    void externalMonitors();
    void switchingOffRestoresTheRampOnly();
};

void ScreenControlTest::gammaRampReference_data()
{
    QTest::addColumn<int>("temperature");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<double>("green");
    QTest::addColumn<double>("blue");
    QTest::addColumn<QList<int>>("top"); // red, green and blue [255]

    QTest::newRow("45 undimmed") << 45 << 0 << 0.85307 << 0.73504
                                 << QList<int>{65025, 55470, 47795};
    QTest::newRow("45 dimmest") << 45 << -8 << 0.85307 << 0.73504
                                << QList<int>{44625, 38068, 32800};
    QTest::newRow("55 undimmed") << 55 << 0 << 0.93135 << 0.87155
                                 << QList<int>{65025, 60560, 56672};
    QTest::newRow("55 dimmest") << 55 << -8 << 0.93135 << 0.87155
                                << QList<int>{44625, 41561, 38892};
    QTest::newRow("66 undimmed") << 66 << 0 << 1.0 << 1.0 << QList<int>{65025, 65025, 65025};
    QTest::newRow("66 dimmest") << 66 << -8 << 1.0 << 1.0 << QList<int>{44625, 44625, 44625};
    // Out of range: 45 and no dimming.
    QTest::newRow("30 at 5") << 30 << 5 << 0.85307 << 0.73504 << QList<int>{65025, 55470, 47795};
    QTest::newRow("80 at -20") << 80 << -20 << 1.0 << 1.0 << QList<int>{44625, 44625, 44625};
}

void ScreenControlTest::gammaRampReference()
{
    QFETCH(int, temperature);
    QFETCH(int, brightness);
    QFETCH(double, green);
    QFETCH(double, blue);
    QFETCH(QList<int>, top);

    const CGammaRamp::Factors factors = CGammaRamp::factorsFor(temperature);
    QCOMPARE(factors.red, 1.0f);
    QVERIFY2(qAbs(factors.green - green) < 1e-5, qPrintable(QString::number(factors.green)));
    QVERIFY2(qAbs(factors.blue - blue) < 1e-5, qPrintable(QString::number(factors.blue)));
    const GammaRamp ramp = CGammaRamp::rampFor(temperature, brightness, false);
    QCOMPARE((QList<int>{ramp.red[255], ramp.green[255], ramp.blue[255]}), top);
    QCOMPARE(ramp.green[0], std::uint16_t(0));
}

void ScreenControlTest::gammaRampLoadsTwiceAndRetries()
{
    FakeScreenGamma gamma;
    CGammaRamp ramp(&gamma);

    // Dimmest neutral: all channels alike; the first load moves green and blue 255 above.
    QVERIFY(ramp.SetColorTemperatureAndBrightness(66, -8));
    QCOMPARE(gamma.applied.size(), std::size_t(2));
    const GammaRamp& first = gamma.applied[0];
    QCOMPARE((QList<int>{first.red[255], first.green[255], first.blue[255]}),
             (QList<int>{44625, 44880, 44880}));
    const GammaRamp& exact = gamma.applied[1];
    QVERIFY(exact.red == exact.green && exact.green == exact.blue);
    QCOMPARE(int(exact.red[255]), 44625);

    // Undimmed neutral: 255 per step, and a first load 255 below at the top.
    gamma.applied.clear();
    QVERIFY(ramp.SetColorTemperatureAndBrightness(66, 0));
    for (int i = 0; i < 256; ++i) {
        QCOMPARE(int(gamma.applied[1].red[i]), 255 * i);
        QCOMPARE(int(gamma.applied[1].blue[i]), 255 * i);
    }
    QCOMPARE(int(gamma.applied[0].green[255]), 64770);
    QCOMPARE(int(gamma.applied[0].red[255]), 65025);

    // Refused: three tries for each of the two loads, then false.
    gamma.applied.clear();
    gamma.refuse = true;
    QTest::ignoreMessage(QtWarningMsg, "gammaramp unable to set");
    QVERIFY(!ramp.SetColorTemperatureAndBrightness(55, -3));
    QCOMPARE(gamma.applied.size(), std::size_t(6));

    ramp.RestoreLinearRamp();
    QCOMPARE(*gamma.restores, 1);

    // No screen to load into.
    CGammaRamp none;
    QTest::ignoreMessage(QtWarningMsg, "gammaramp bad dc initialization");
    QVERIFY(!none.SetColorTemperatureAndBrightness(55, -3));
    none.RestoreLinearRamp();
}

void ScreenControlTest::nearestSupportedLevel_data()
{
    QTest::addColumn<QList<int>>("levels");
    QTest::addColumn<int>("v");
    QTest::addColumn<int>("nearest");
    const QList<int> quarters{0, 25, 50, 75, 100};
    QTest::newRow("62 nearer 50") << quarters << 62 << 50;
    QTest::newRow("63 nearer 75") << quarters << 63 << 75;
    QTest::newRow("exact") << quarters << 75 << 75;
    QTest::newRow("above all") << QList<int>{0, 25} << 40 << 40;
    QTest::newRow("tie goes up") << QList<int>{0, 10} << 5 << 10;
    QTest::newRow("below the first") << QList<int>{20, 60} << 5 << 20;
    QTest::newRow("far below the first") << QList<int>{150} << 10 << 150;
    QTest::newRow("no levels") << QList<int>{} << 37 << 37;
}

void ScreenControlTest::nearestSupportedLevel()
{
    QFETCH(QList<int>, levels);
    QFETCH(int, v);
    QFETCH(int, nearest);
    QCOMPARE(ScreenControl::nearestSupportedLevel(levels, v), nearest);
}

void ScreenControlTest::detection_data()
{
    QTest::addColumn<int>("panel"); // -1: none
    QTest::addColumn<bool>("saver");
    QTest::addColumn<int>("external"); // its current brightness; -1: none
    QTest::addColumn<int>("readStatus");
    QTest::addColumn<QString>("detected");
    QTest::addColumn<int>("redTop"); // of the ramp the detection loads; -1: none

    const int ok = int(Status::Ok);
    // 75 / 10 truncated; the ramp does not dim at 0 or above.
    QTest::newRow("panel 75") << 75 << false << -1 << ok << "HWbrightnessControlDetected(7)"
                              << 65025;
    QTest::newRow("saver, panel 49")
        << 49 << true << -1 << ok << "HWbrightnessControlDetected(7)" << 65025;
    // Neutral at 0: nothing to load.
    QTest::newRow("panel 5") << 5 << false << -1 << ok << "HWbrightnessControlDetected(0)" << -1;
    // No position from the window yet: the slider counts as 0, which loads nothing.
    QTest::newRow("no panel, no monitor")
        << -1 << false << -1 << ok << "noHWbrightnessControlDetected" << -1;
    QTest::newRow("monitor only") << -1 << false << 40 << ok << "HWbrightnessControlDetected(4)"
                                  << 65025;
    // Kept though unread; with no panel to follow the slider takes 70 %.
    QTest::newRow("monitor's bus failed") << -1 << false << 40 << int(Status::TransmissionError)
                                          << "HWbrightnessControlDetected(7)" << 65025;
    QTest::newRow("monitor's reply garbled") << -1 << false << 40 << int(Status::InvalidReply)
                                             << "HWbrightnessControlDetected(7)" << 65025;
    QTest::newRow("monitor unreadable")
        << -1 << false << 40 << int(Status::Failed) << "noHWbrightnessControlDetected" << -1;
}

void ScreenControlTest::detection()
{
    QFETCH(int, panel);
    QFETCH(bool, saver);
    QFETCH(int, external);
    QFETCH(int, readStatus);
    QFETCH(QString, detected);
    QFETCH(int, redTop);

    ScreenRig rig;
    rig.backlight->level = panel;
    if (external >= 0) {
        rig.plugMonitor(unsigned(external));
        rig.monitors->readScript = {Status(readStatus)};
    }
    rig.c().enableBrightnessSaver(saver);
    rig.c().enableScreenControl(true, 0);
    QCOMPARE(rig.signalsSent(), QStringList{detected});
    QCOMPARE(rig.backlight->watching, panel >= 0);
    QCOMPARE(rig.lastRedTop(), redTop);
    QVERIFY(rig.backlight->setCalls.isEmpty());

    // A closed lid hides the panel: it is no longer followed, and without a monitor there is
    // nothing left to control.
    rig.c().setLidOpenStatus(false);
    rig.c().detectScreensWindows(0);
    QVERIFY(!rig.backlight->watching);
    if (external < 0) {
        QCOMPARE(rig.signalsSent(), QStringList{"noHWbrightnessControlDetected"});
    }
}

void ScreenControlTest::sliderPanelAndChangeEvents()
{
    ScreenRig rig;
    ApplicationController& c = rig.c();
    // The main window moves its slider when asked, and reports the move back.
    QObject::connect(&c, &ApplicationController::adjustBrightnessSlider, &c,
                     &ApplicationController::setBrightness);
    c.enableScreenControl(true, 0);
    QCOMPARE(rig.signalsSent(), QStringList{"HWbrightnessControlDetected(5)"});

    // Set elsewhere to 75: the slider follows to 8 (7.5 rounded), and its echo writes nothing.
    rig.backlight->reportChange(75);
    QCOMPARE(rig.signalsSent(), QStringList{"adjustBrightnessSlider(8)"});
    QVERIFY(rig.backlight->setCalls.isEmpty());
    QVERIFY(c.screenControl().expectedSliderPositions().isEmpty());
    QCOMPARE(rig.lastRedTop(), 65025);

    // The user's move writes the panel once; the panel's report of it moves nothing.
    c.setBrightness(6);
    QCOMPARE(rig.backlight->setCalls, QList<int>{60});
    rig.backlight->reportChange(60);
    QVERIFY(rig.signalsSent().isEmpty());
    QVERIFY(c.screenControl().expectedSliderPositions().isEmpty());

    // A change within the slider's position records nothing, so a later move there writes.
    rig.backlight->reportChange(62);
    c.setBrightness(5);
    rig.backlight->reportChange(50);
    c.setBrightness(6);
    QCOMPARE(rig.backlight->setCalls, (QList<int>{60, 50, 60}));
    QVERIFY(rig.signalsSent().isEmpty());

    // Dimming leaves the hardware alone and loads level 5 of 8.
    rig.backlight->reportChange(60);
    c.setBrightness(-3);
    QCOMPARE(rig.backlight->setCalls.size(), 3);
    QCOMPARE(rig.lastRedTop(), 44625 + 2550 * 5);
    // The same position again changes nothing, the ramp included.
    const std::size_t loads = rig.gamma->applied.size();
    c.setBrightness(-3);
    QCOMPARE(rig.gamma->applied.size(), loads);

    // With the saver on the panel gets 70 % of the slider, to the nearest level it has; an
    // unfollowed panel is still written.
    c.enableBrightnessSaver(true);
    rig.backlight->levels = {0, 25, 50, 75, 100};
    rig.backlight->watchable = false;
    rig.backlight->watching = false; // the watch is lost
    c.detectScreensWindows(0);
    QCOMPARE(rig.signalsSent(), QStringList{"HWbrightnessControlDetected(8)"}); // 60 / 0.7
    c.setBrightness(10);
    QCOMPARE(rig.backlight->setCalls.mid(3), QList<int>{75});
    QCOMPARE(c.screenControl().currentHWbrightness(), 75);

    // Out of range: a clear line, and the nearest end of the slider.
    QTest::ignoreMessage(QtWarningMsg,
                         "ApplicationController::setBrightness position out of range, taken as 10");
    c.setBrightness(14);
    QCOMPARE(rig.backlight->setCalls.size(), 4);
}

void ScreenControlTest::externalMonitors()
{
    // Followed by the panel at detection; a monitor at most 80 gets 80 for anything above 100.
    ScreenRig rig;
    rig.backlight->level = 80;
    rig.plugMonitor(50, 80);
    rig.plugMonitor(50);
    rig.monitors->setScript = {Status::MonitorGone};
    ScreenControl screen(rig.devices);
    screen.setEnabled(true);
    screen.detect(0);
    // The first set found the list stale: detected again, and set again.
    QCOMPARE(rig.monitors->detections, 2);
    QCOMPARE(rig.monitors->setCalls, (QList<QPair<int, unsigned>>{{0, 80}, {0, 80}, {1, 80}}));
    rig.monitors->setCalls.clear();
    QVERIFY(screen.changeHWBrightnessForExternalScreens(120));
    QCOMPARE(rig.monitors->setCalls, (QList<QPair<int, unsigned>>{{1, 100}}));

    // A monitor that keeps reporting itself gone is detected again once per request, no more.
    rig.monitors->setCalls.clear();
    rig.monitors->setScript = {Status::MonitorGone, Status::MonitorGone, Status::MonitorGone,
                               Status::MonitorGone, Status::MonitorGone, Status::MonitorGone};
    QVERIFY(!screen.changeHWBrightnessForExternalScreens(30));
    QCOMPARE(rig.monitors->detections, 3);

    // A slider move sets the monitors with the panel, 70 % of it under the saver.
    rig.monitors->setScript.clear();
    rig.monitors->setCalls.clear();
    screen.enableBrightnessSaver(true);
    screen.setBrightness(5);
    QCOMPARE(rig.monitors->setCalls, (QList<QPair<int, unsigned>>{{0, 35}, {1, 35}}));
    // The panel's nearest level to 35 (a tie between 30 and 40).
    QCOMPARE(rig.backlight->setCalls, QList<int>{40});
}

void ScreenControlTest::switchingOffRestoresTheRampOnly()
{
    ScreenRig rig;
    ApplicationController& c = rig.c();
    // With control off a colour temperature is only kept.
    c.setColorTemperature(55);
    QVERIFY(rig.gamma->applied.empty());
    c.enableScreenControl(true, 0);
    QCOMPARE(rig.gamma->applied.back().green[255], CGammaRamp::rampFor(55, 5, false).green[255]);
    c.setBrightness(-2);
    rig.signalsSent();

    c.enableScreenControl(false, 0);
    QCOMPARE(*rig.gamma->restores, 1);
    QVERIFY(!rig.backlight->watching);
    QVERIFY(rig.backlight->setCalls.isEmpty());
    QCOMPARE(rig.backlight->level, 50);
    QVERIFY(rig.signalsSent().isEmpty());

    // Going with control on restores as well; the devices go with the controller.
    c.enableScreenControl(true, 0);
    const std::shared_ptr<int> restores = rig.gamma->restores;
    rig.h.reset();
    QCOMPARE(*restores, 2);
}

QTEST_GUILESS_MAIN(ScreenControlTest)
#include "tst_ScreenControl.moc"
