#include "ControllerHarness.h"
#include "controller/ExpectedEchoes.h"
#include "controller/GammaRamp.h"
#include "controller/PanelLevels.h"
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
    void positionsSurviveThePanel_data();
    void positionsSurviveThePanel();
    void echoesAnswerInOrderAndAge();
    void detection_data();
    void detection();
    void sliderPanelAndChangeEvents();
    void lateMergedAndFailedWrites();
    void saverAndRedetectionKeepTheUsersPosition();
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
    QCOMPARE(PanelLevels::nearestSupportedLevel(levels, v), nearest);
}

void ScreenControlTest::positionsSurviveThePanel_data()
{
    QTest::addColumn<QList<int>>("levels");
    QTest::addColumn<float>("factor");
    QTest::addColumn<QList<int>>("positionLevels"); // levelFor(0..10)

    // Percentages of panels with few raw steps above the lowest visible one, as sysfs gives them.
    const auto steps = [](int max) {
        QList<int> levels;
        for (int raw = std::max(1, (max + 19) / 20); raw <= max; ++raw) {
            const int percent = (raw * 200 + max) / (2 * max);
            if (levels.isEmpty() || levels.last() != percent) {
                levels << percent;
            }
        }
        return levels;
    };
    QList<int> percent;
    for (int level = 5; level <= 100; ++level) {
        percent << level;
    }
    QTest::newRow("percent") << percent << 1.0f
                             << QList<int>{5, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    QTest::newRow("percent, saver")
        << percent << 0.7f << QList<int>{5, 7, 14, 21, 28, 35, 42, 49, 56, 63, 70};
    QTest::newRow("max 5") << steps(5) << 1.0f
                           << QList<int>{20, 20, 20, 40, 40, 60, 60, 80, 80, 100, 100};
    QTest::newRow("max 7") << steps(7) << 1.0f
                           << QList<int>{14, 14, 14, 29, 43, 57, 57, 71, 86, 86, 100};
    QTest::newRow("max 8") << steps(8) << 1.0f
                           << QList<int>{13, 13, 25, 25, 38, 50, 63, 75, 75, 88, 100};
    QTest::newRow("max 10, saver")
        << steps(10) << 0.7f << QList<int>{10, 10, 10, 20, 30, 40, 40, 50, 60, 60, 70};
    QTest::newRow("max 15, saver")
        << steps(15) << 0.7f << QList<int>{7, 7, 13, 20, 27, 33, 40, 47, 53, 60, 73};
    QTest::newRow("max 24") << steps(24) << 1.0f
                            << QList<int>{8, 8, 21, 29, 42, 50, 58, 71, 79, 92, 100};
    QTest::newRow("max 31, saver")
        << steps(31) << 0.7f << QList<int>{6, 6, 13, 23, 29, 35, 42, 48, 55, 65, 71};
}

void ScreenControlTest::positionsSurviveThePanel()
{
    QFETCH(QList<int>, levels);
    QFETCH(float, factor);
    QFETCH(QList<int>, positionLevels);

    PanelLevels panel;
    panel.setLevels(levels);
    panel.setFactor(factor);
    QList<int> landed;
    for (int position = 0; position <= PanelLevels::kHighestPosition; ++position) {
        landed << panel.levelFor(position);
    }
    QCOMPARE(landed, positionLevels);
    // Never below the panel's lowest visible level, and every level read back leads to a
    // position that lands on it again, whichever way a reading is rounded.
    for (int position = 0; position <= PanelLevels::kHighestPosition; ++position) {
        const int level = panel.levelFor(position);
        QVERIFY(level >= levels.first());
        for (const auto rounding :
             {PanelLevels::Rounding::Truncate, PanelLevels::Rounding::Nearest}) {
            QCOMPARE(panel.levelFor(panel.positionFor(level, rounding)), level);
        }
    }
}

void ScreenControlTest::echoesAnswerInOrderAndAge()
{
    ExpectedEchoes echoes(3000);
    echoes.expect(60, 6, 0);
    echoes.expect(50, 5, 10);
    echoes.expect(60, 6, 20);
    QCOMPARE(echoes.latest(20), std::optional<int>(60));
    // One reading of the last write answers all three.
    QVERIFY(echoes.take(60, 100));
    QCOMPARE(echoes.pending(100), QList<int>());

    // A reading on the way answers the writes up to it; the last is still to come.
    echoes.expect(40, 4, 200);
    echoes.expect(30, 3, 210);
    echoes.expect(20, 2, 220);
    QVERIFY(echoes.take(30, 300));
    QCOMPARE(echoes.pending(300), QList<int>{20});
    // Somebody else's change: nothing sent earlier will be reported any more.
    QVERIFY(!echoes.take(70, 400));
    QCOMPARE(echoes.latest(400), std::nullopt);

    // Unanswered values are forgotten, with the clock going either way.
    echoes.expect(80, 8, 1000);
    QCOMPARE(echoes.pending(3999), QList<int>{80});
    QCOMPARE(echoes.pending(4001), QList<int>());
    echoes.expect(80, 8, 10000);
    QVERIFY(!echoes.take(80, 5000));
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
    c.enableScreenControl(true, 0);
    QCOMPARE(rig.signalsSent(), QStringList{"HWbrightnessControlDetected(5)"});

    // Set elsewhere to 75: the slider follows to 8 (7.5 rounded), and its answer writes nothing.
    rig.backlight->reportChange(75);
    QCOMPARE(rig.signalsSent(), QStringList{"adjustBrightnessSlider(8)"});
    c.setBrightness(8);
    QVERIFY(rig.backlight->setCalls.isEmpty());
    QCOMPARE(rig.lastRedTop(), 65025);

    // The user's move writes the panel once; the panel's report of it moves nothing.
    c.setBrightness(6);
    QCOMPARE(rig.backlight->setCalls, QList<int>{60});
    rig.backlight->reportLevel();
    QVERIFY(rig.signalsSent().isEmpty());

    // The desktop's keys step 60 -> 40 -> 20 faster than the window answers: the answers, late
    // and stale, write nothing, and the slider ends where the panel is.
    rig.backlight->reportChange(40);
    rig.backlight->reportChange(20);
    QCOMPARE(rig.signalsSent(),
             (QStringList{"adjustBrightnessSlider(4)", "adjustBrightnessSlider(2)"}));
    c.setBrightness(4);
    c.setBrightness(2);
    QCOMPARE(rig.backlight->setCalls, QList<int>{60});
    QCOMPARE(rig.backlight->level, 20);
    QCOMPARE(c.screenControl().brightnessSlider(), 2);

    // An answer that never came is forgotten: after a while the same position is the user's.
    rig.backlight->reportChange(70);
    QCOMPARE(rig.signalsSent(), QStringList{"adjustBrightnessSlider(7)"});
    rig.h->advanceMs(3100);
    rig.backlight->reportChange(90); // the desktop again; the window is busy
    QCOMPARE(rig.signalsSent(), QStringList{"adjustBrightnessSlider(9)"});
    rig.h->advanceMs(3100);
    c.setBrightness(7);
    QCOMPARE(rig.backlight->setCalls, (QList<int>{60, 70}));

    // Dimming leaves the hardware alone and loads level 5 of 8.
    rig.backlight->reportLevel();
    c.setBrightness(-3);
    QCOMPARE(rig.backlight->setCalls.size(), 2);
    QCOMPARE(rig.lastRedTop(), 44625 + 2550 * 5);
    // The same position again changes nothing, the ramp included.
    const std::size_t loads = rig.gamma->applied.size();
    c.setBrightness(-3);
    QCOMPARE(rig.gamma->applied.size(), loads);
    // Back to 0: the panel's lowest level, never off.
    c.setBrightness(0);
    QCOMPARE(rig.backlight->setCalls.last(), 10);

    // An unfollowed panel is still written, and what is written is all there is to know.
    rig.backlight->watchable = false;
    rig.backlight->watching = false; // the watch is lost
    c.detectScreensWindows(0);
    rig.signalsSent();
    c.setBrightness(10);
    QCOMPARE(rig.backlight->setCalls.last(), 100);
    QCOMPARE(c.screenControl().currentHWbrightness(), 100);

    // Out of range: a clear line, and the nearest end of the slider.
    QTest::ignoreMessage(QtWarningMsg,
                         "ApplicationController::setBrightness position out of range, taken as 10");
    const int writes = rig.backlight->setCalls.size();
    c.setBrightness(14);
    QCOMPARE(rig.backlight->setCalls.size(), writes);
}

void ScreenControlTest::lateMergedAndFailedWrites()
{
    ScreenRig rig;
    ApplicationController& c = rig.c();
    c.enableScreenControl(true, 0);
    c.setBrightness(7);
    rig.backlight->reportLevel();
    rig.signalsSent();

    // Two quick presses of "darker", one of "brighter", and one late reading of where they left
    // the panel: it stays at 60 with the slider, and no press is spent.
    c.setBrightness(6);
    c.setBrightness(5);
    c.setBrightness(6);
    rig.backlight->reportLevel();
    QCOMPARE(rig.backlight->setCalls, (QList<int>{70, 60, 50, 60}));
    QVERIFY(rig.signalsSent().isEmpty());
    c.setBrightness(5);
    QCOMPARE(rig.backlight->setCalls.last(), 50);

    // A fast drag from 10 to 2, the panel passing 60 on its way and reporting the end once:
    // every later choice writes.
    for (int position = 10; position >= 2; --position) {
        c.setBrightness(position);
    }
    rig.backlight->reportChange(60);
    rig.backlight->reportLevel();
    QVERIFY(rig.signalsSent().isEmpty());
    rig.backlight->setCalls.clear();
    c.setBrightness(6);
    c.setBrightness(7);
    QCOMPARE(rig.backlight->setCalls, (QList<int>{60, 70}));
    rig.backlight->reportLevel();

    // A refused write leaves nothing to wait for: going there again writes again.
    rig.backlight->refuseWrites = true;
    c.setBrightness(4);
    rig.backlight->refuseWrites = false;
    c.setBrightness(5);
    rig.backlight->reportLevel();
    c.setBrightness(4);
    QCOMPARE(rig.backlight->setCalls.mid(2), (QList<int>{40, 50, 40}));
    QCOMPARE(rig.backlight->level, 40);

    // A coarse panel (levels of a 7-step device): 4 -> 5 lands on 57 % and stays 5, and 5 can
    // be chosen again after 6 (which shares its level) and 4.
    rig.backlight->levels = {14, 29, 43, 57, 71, 86, 100};
    c.detectScreensWindows(0);
    QCOMPARE(rig.signalsSent(), QStringList{"HWbrightnessControlDetected(4)"}); // 40 -> 43
    rig.backlight->setCalls.clear();
    for (int position : {5, 6, 4, 5}) {
        c.setBrightness(position);
        rig.backlight->reportLevel();
    }
    QCOMPARE(rig.backlight->setCalls, (QList<int>{57, 43, 57}));
    QVERIFY(rig.signalsSent().isEmpty());
    QCOMPARE(c.screenControl().brightnessSlider(), 5);
}

void ScreenControlTest::saverAndRedetectionKeepTheUsersPosition()
{
    ScreenRig rig;
    rig.backlight->level = 80;
    ApplicationController& c = rig.c();
    c.enableScreenControl(true, 0);
    QCOMPARE(rig.signalsSent(), QStringList{"HWbrightnessControlDetected(8)"});
    c.setBrightness(8); // the window's slider takes the detected position

    // The saver dims at once, to the panel's level nearest 56 %, and gives the user's own
    // brightness back when it goes; the slider stays at 8 throughout.
    c.enableBrightnessSaver(true);
    QCOMPARE(rig.backlight->setCalls, QList<int>{60});
    rig.backlight->reportLevel();
    c.enableBrightnessSaver(false);
    rig.backlight->reportLevel();
    QCOMPARE(rig.backlight->setCalls, (QList<int>{60, 80}));
    QVERIFY(rig.signalsSent().isEmpty());
    c.detectScreensWindows(0);
    QCOMPARE(rig.signalsSent(), QStringList{"HWbrightnessControlDetected(8)"});

    // Software dimming survives a display change: the panel still shows position 0's level.
    c.setBrightness(0);
    rig.backlight->reportLevel();
    c.setBrightness(-4);
    c.detectScreensWindows(0);
    QCOMPARE(rig.signalsSent(), QStringList{"HWbrightnessControlDetected(-4)"});
    QCOMPARE(rig.lastRedTop(), 44625 + 2550 * 4);
    // Changed elsewhere meanwhile, the panel's brightness wins.
    rig.backlight->level = 40;
    c.detectScreensWindows(0);
    QCOMPARE(rig.signalsSent(), QStringList{"HWbrightnessControlDetected(4)"});
    QCOMPARE(rig.lastRedTop(), 65025);
}

void ScreenControlTest::externalMonitors()
{
    // Followed by the panel at detection, each in its own scale; a monitor at most 80 gets 80
    // for anything above 100.
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
    QCOMPARE(rig.monitors->setCalls, (QList<QPair<int, unsigned>>{{0, 64}, {0, 64}, {1, 80}}));
    rig.monitors->setCalls.clear();
    QVERIFY(screen.changeHWBrightnessForExternalScreens(120));
    QCOMPARE(rig.monitors->setCalls, (QList<QPair<int, unsigned>>{{0, 80}, {1, 100}}));

    // A monitor that keeps reporting itself gone is detected again once per request, no more.
    rig.monitors->setCalls.clear();
    rig.monitors->setScript = {Status::MonitorGone, Status::MonitorGone, Status::MonitorGone,
                               Status::MonitorGone, Status::MonitorGone, Status::MonitorGone};
    QVERIFY(!screen.changeHWBrightnessForExternalScreens(30));
    QCOMPARE(rig.monitors->detections, 3);

    // A slider move sets the monitors with the panel; the saver dims them all at once.
    rig.monitors->setScript.clear();
    rig.monitors->setCalls.clear();
    screen.setBrightness(5);
    screen.enableBrightnessSaver(true);
    QCOMPARE(rig.monitors->setCalls,
             (QList<QPair<int, unsigned>>{{0, 40}, {1, 50}, {0, 28}, {1, 35}}));
    // The panel's nearest level to 35 is a tie between 30 and 40.
    QCOMPARE(rig.backlight->setCalls, (QList<int>{50, 40}));

    // Monitors alone, one of them counting to 255: the slider reads it in percent, and the top
    // position is its whole range.
    ScreenRig wide;
    wide.backlight->level = -1;
    wide.plugMonitor(100, 255);
    ScreenControl monitors(wide.devices);
    monitors.setEnabled(true);
    QSignalSpy detected(&monitors, &ScreenControl::HWbrightnessControlDetected);
    monitors.detect(0);
    QCOMPARE(detected.value(0).value(0).toInt(), 3); // 39 %
    monitors.setBrightness(10);
    monitors.setBrightness(5);
    QCOMPARE(wide.monitors->setCalls, (QList<QPair<int, unsigned>>{{0, 255}, {0, 128}}));
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
