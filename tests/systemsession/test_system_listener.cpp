#include "platform/fake/FakeDisplayMonitor.h"
#include "platform/fake/FakePowerMonitor.h"
#include "platform/fake/FakeProcessLister.h"
#include "platform/fake/FakeSessionMonitor.h"
#include "platform/fake/FakeWindowTitleLister.h"
#include "systemsession/SystemListenerLinux.h"

#include <QSignalSpy>
#include <QtTest>

using SystemSession::SystemListenerLinux;

Q_DECLARE_METATYPE(ActiveOutput)

// The listener's own rules, on sources a test drives: the codes, their edges, the check timer,
// list matching. The sources themselves are tested against real services in
// test_system_listener_live.
class SystemListenerTest : public QObject
{
    Q_OBJECT

    FakeSessionMonitor* m_session = nullptr;
    FakePowerMonitor* m_power = nullptr;
    FakeDisplayMonitor* m_displays = nullptr;
    FakeWindowTitleLister* m_windows = nullptr;
    FakeProcessLister* m_processes = nullptr;
    std::unique_ptr<SystemListenerLinux> m_listener;
    std::unique_ptr<QSignalSpy> m_spy;

    QList<int> codes()
    {
        QList<int> result;
        for (const QList<QVariant>& call : qAsConst(*m_spy)) {
            result << call.at(0).toInt();
        }
        m_spy->clear();
        return result;
    }

    void tick() { QMetaObject::invokeMethod(m_listener.get(), "checkProcessesAndWindowsTitles"); }

    static QList<ProcessEntry> processesNamed(const QStringList& names)
    {
        QList<ProcessEntry> entries;
        for (const QString& name : names) {
            entries.append({name, 1});
        }
        return entries;
    }

private slots:
    void init()
    {
        SystemListenerLinux::Sources sources;
        sources.session = std::make_unique<FakeSessionMonitor>();
        sources.power = std::make_unique<FakePowerMonitor>();
        sources.displays = std::make_unique<FakeDisplayMonitor>();
        sources.windows = std::make_unique<FakeWindowTitleLister>();
        sources.processes = std::make_unique<FakeProcessLister>();
        m_session = static_cast<FakeSessionMonitor*>(sources.session.get());
        m_power = static_cast<FakePowerMonitor*>(sources.power.get());
        m_displays = static_cast<FakeDisplayMonitor*>(sources.displays.get());
        m_windows = static_cast<FakeWindowTitleLister*>(sources.windows.get());
        m_processes = static_cast<FakeProcessLister*>(sources.processes.get());
        m_listener = std::make_unique<SystemListenerLinux>(std::move(sources));
        m_spy = std::make_unique<QSignalSpy>(m_listener.get(),
                                             &SystemListenerLinux::sessionChangeDetected);
    }

    void cleanup()
    {
        m_spy.reset();
        m_listener.reset();
    }

    void sourceEventsBecomeCodes()
    {
        emit m_session->lockChanged(true, "test");
        emit m_session->lockChanged(false, "test");
        emit m_displays->displayPowerChanged(false);
        emit m_displays->displayPowerChanged(true);
        emit m_power->lidClosedChanged(false);
        emit m_power->lidClosedChanged(true);
        emit m_power->onBatteryChanged(true);
        emit m_power->onBatteryChanged(false);
        emit m_power->powerSaverChanged(false);
        emit m_power->powerSaverChanged(true);
        emit m_displays->dpiChanged();
        QCOMPARE(codes(), (QList<int>{0, 1, 5, 4, 8, 9, 13, 14, 15, 16, 17}));
    }

    void suspendIsReportedOnceUntilTheResume()
    {
        emit m_session->sleepChanged(false); // a resume without a suspend
        emit m_session->sleepChanged(true);
        emit m_session->sleepChanged(true);
        emit m_session->sleepChanged(false);
        emit m_session->sleepChanged(false);
        QCOMPARE(codes(), (QList<int>{2, 3}));
    }

    void powerChecksAnswerFromTheLastKnownValues()
    {
        m_listener->checkBatteryStatus(); // nothing known yet: logged, no code
        m_listener->checkPowerSaverStatus();
        m_power->battery = true;
        m_power->saver = false;
        m_listener->checkBatteryStatus();
        m_listener->checkPowerSaverStatus();
        m_power->battery = false;
        m_listener->checkBatteryStatus();
        QCOMPARE(codes(), (QList<int>{13, 15, 14}));
    }

    void topology_data()
    {
        QTest::addColumn<QList<ActiveOutput>>("outputs");
        QTest::addColumn<int>("code");
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1920, 1080);
        QTest::newRow("one screen") << QList<ActiveOutput>{{"eDP-1", 60, left}} << 12;
        QTest::newRow("side by side")
            << QList<ActiveOutput>{{"eDP-1", 60, left}, {"HDMI-1", 61, right}} << 12;
        QTest::newRow("same area")
            << QList<ActiveOutput>{{"eDP-1", 60, left}, {"HDMI-1", 61, left}} << 11;
        QTest::newRow("one crtc") << QList<ActiveOutput>{{"eDP-1", 60, left}, {"HDMI-1", 60, left}}
                                  << 11;
        QTest::newRow("clone among three")
            << QList<ActiveOutput>{{"eDP-1", 60, left}, {"DP-1", 62, right}, {"HDMI-1", 61, right}}
            << 11;
    }

    void topology()
    {
        QFETCH(QList<ActiveOutput>, outputs);
        QFETCH(int, code);
        m_displays->outputs = outputs;
        m_listener->checkDisplayTopology();
        emit m_displays->configurationChanged();
        QCOMPARE(codes(), (QList<int>{code, 10, code}));
    }

    void unreadableLayoutCountsAsNotCloned()
    {
        m_displays->outputs.reset();
        m_listener->checkDisplayTopology();
        QCOMPARE(codes(), QList<int>{12});
    }

    void checkTimerRunsOnlyWhileACheckIsOn()
    {
        QVERIFY(!m_listener->isCheckTimerActive());
        m_listener->enableProcessCheck(true);
        m_listener->enableWindowTitleCheck(true);
        QVERIFY(m_listener->isCheckTimerActive());
        m_listener->enableProcessCheck(false);
        QVERIFY(m_listener->isCheckTimerActive());
        m_listener->enableWindowTitleCheck(false);
        m_listener->enablePauseAppWindowTitleCheck(true);
        QVERIFY(m_listener->isCheckTimerActive());
        m_listener->enablePauseAppWindowTitleCheck(false);
        QVERIFY(!m_listener->isCheckTimerActive());
        // With every check off a list change reads nothing.
        m_windows->reads = 0;
        m_listener->setWindowTitles("zoom");
        QCOMPARE(m_windows->reads, 0);
    }

    void matchIsReportedOnceWhileItLasts()
    {
        m_processes->processes = processesNamed({"bash", "zoom"});
        m_listener->enableProcessCheck(true);
        m_listener->setProcesses("teams;zoom"); // checked at once
        QCOMPARE(codes(), QList<int>{18});
        QTRY_COMPARE_WITH_TIMEOUT(m_processes->reads, 2, 1500); // driven by the timer
        QCOMPARE(codes(), QList<int>{});
        m_processes->processes = processesNamed({"bash"});
        tick();
        tick();
        QCOMPARE(codes(), QList<int>{19});
    }

    void switchingACheckOffEndsItsMatchAndOnLooksAgain()
    {
        m_windows->titles = QStringList{"Weekly call - Zoom"};
        m_processes->processes = processesNamed({"obs"});
        m_listener->setWindowTitles("zoom");
        m_listener->setPauseAppWindowTitles("weekly");
        m_listener->setProcesses("obs");
        using Switch = void (SystemListenerLinux::*)(bool);
        const std::pair<Switch, QList<int>> checks[] = {
            {&SystemListenerLinux::enableWindowTitleCheck, {20, 21, 20}},
            {&SystemListenerLinux::enablePauseAppWindowTitleCheck, {22, 23, 22}},
            {&SystemListenerLinux::enableProcessCheck, {18, 19, 18}},
        };
        for (const auto& [enable, expected] : checks) {
            (m_listener.get()->*enable)(true);
            (m_listener.get()->*enable)(false);
            (m_listener.get()->*enable)(true);
            QCOMPARE(codes(), expected);
        }
    }

    void checksRunInOrderOnOneReadingOfTheTitles()
    {
        m_windows->titles = QStringList{"Weekly call - Zoom"};
        m_processes->processes = processesNamed({"obs"});
        m_listener->enableWindowTitleCheck(true);
        m_listener->enablePauseAppWindowTitleCheck(true);
        m_listener->enableProcessCheck(true);
        m_listener->setWindowTitles("zoom");
        m_listener->setPauseAppWindowTitles("weekly");
        m_listener->setProcesses("obs");
        codes();
        m_windows->reads = 0;
        m_windows->titles.clear();
        m_processes->processes = {};
        tick();
        QCOMPARE(codes(), (QList<int>{23, 21, 19}));
        m_windows->titles = QStringList{"Weekly call - Zoom"};
        m_processes->processes = processesNamed({"obs"});
        tick();
        QCOMPARE(codes(), (QList<int>{22, 20, 18}));
        QCOMPARE(m_windows->reads, 2);
    }

    // Call windows are watched whenever the list has an entry, on the same reading as the
    // pause rules, and told only when the set of matching windows changed.
    void callWindowsAreToldOnChange()
    {
        QSignalSpy calls(m_listener.get(), &SystemListenerLinux::callWindowsChanged);
        m_windows->titles = QStringList{"Inbox - Mail", "Zoom Meeting"};
        m_listener->setCallWindowTitles(" ; zoom meeting;JITSI");
        QVERIFY(m_listener->isCheckTimerActive());
        QCOMPARE(calls.count(), 1);
        QCOMPARE(calls.at(0).at(0).toStringList(), QStringList{"Zoom Meeting"});
        m_windows->reads = 0;
        tick();
        QCOMPARE(calls.count(), 1);
        m_windows->titles << "Daily - Jitsi Meet";
        tick();
        QCOMPARE(calls.count(), 2);
        QCOMPARE(calls.at(1).at(0).toStringList(),
                 (QStringList{"Daily - Jitsi Meet", "Zoom Meeting"}));
        // An emptied list ends the call it saw, and the timer stops with it.
        m_listener->setCallWindowTitles("");
        QCOMPARE(calls.count(), 3);
        QCOMPARE(calls.at(2).at(0).toStringList(), QStringList{});
        QVERIFY(!m_listener->isCheckTimerActive());
        QCOMPARE(m_windows->reads, 3);
        QCOMPARE(codes(), QList<int>{}); // no pause comes of it
    }

    void listMatching_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("running");
        QTest::addColumn<bool>("processMatch");
        QTest::addColumn<bool>("titleMatch");
        QTest::newRow("empty entries") << ";;"
                                       << "zoom" << false << false;
        QTest::newRow("capitals") << "ZOOM"
                                  << "Zoom" << true << true;
        QTest::newRow("part of a name") << "zoo"
                                        << "zoom" << false << true;
        QTest::newRow("windows name") << "zoom.exe"
                                      << "zoom" << true << false;
        QTest::newRow("wine name") << "zoom.exe"
                                   << "zoom.exe" << true << true;
        QTest::newRow("no extension") << "zoom"
                                      << "zoom.exe" << false << true;
        QTest::newRow("extension only") << ".exe"
                                        << "zoom.exe" << false << true;
        QTest::newRow("among others") << "teams;;obs"
                                      << "obs" << true << true;
        QTest::newRow("not listed") << "teams"
                                    << "zoom" << false << false;
        QTest::newRow("spaces around entries") << " zoom ; teams"
                                               << "teams" << true << true;
    }

    void listMatching()
    {
        QFETCH(QString, list);
        QFETCH(QString, running);
        QFETCH(bool, processMatch);
        QFETCH(bool, titleMatch);
        m_processes->processes = processesNamed({running});
        m_windows->titles = QStringList{running};
        m_listener->enableProcessCheck(true);
        m_listener->enableWindowTitleCheck(true);
        m_listener->setProcesses(list);
        QCOMPARE(codes().contains(18), processMatch);
        m_listener->setWindowTitles(list);
        QCOMPARE(codes().contains(20), titleMatch);
    }
};

QTEST_GUILESS_MAIN(SystemListenerTest)
#include "test_system_listener.moc"
