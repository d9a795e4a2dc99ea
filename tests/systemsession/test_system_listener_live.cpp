#include "TestServices.h"
#include "platform/SessionMonitor.h"
#include "support/RecordedLog.h"
#include "systemsession/EventFilter.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <ctime>
#include <unistd.h>
#include <xcb/xcb.h>

using SystemSession::EventFilter;

// The listener the program makes, against real sources: logind, UPower and
// power-profiles-daemon mocked on a bus of the test's own, the screen saver on the session bus,
// X servers of its own (Xvfb with and without openbox, Xorg with the dummy driver), an XSETTINGS
// daemon for the DPI, and this machine's /proc.
namespace {

const QString login1 = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString upower = QStringLiteral("org.freedesktop.UPower");
const QString upowerPath = QStringLiteral("/org/freedesktop/UPower");
const QString profiles = QStringLiteral("net.hadess.PowerProfiles");
const QString profilesPath = QStringLiteral("/net/hadess/PowerProfiles");

// Sets environment variables for a scope.
class ScopedEnvironment
{
public:
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
            if (it.value().isNull()) {
                qunsetenv(it.key().constData());
            } else {
                qputenv(it.key().constData(), it.value());
            }
        }
    }
    void set(const char* name, const QString& value)
    {
        save(name);
        qputenv(name, value.toLocal8Bit());
    }
    void unset(const char* name)
    {
        save(name);
        qunsetenv(name);
    }

private:
    void save(const char* name)
    {
        if (!m_saved.contains(name)) {
            m_saved.insert(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
        }
    }
    QMap<QByteArray, QByteArray> m_saved;
};

// A listener made as the program makes it, and the codes it sent.
struct Listener
{
    std::unique_ptr<EventFilter> filter = SystemSession::createSystemListener();
    QSignalSpy spy{filter.get(), &EventFilter::sessionChangeDetected};

    // The codes sent so far once there are at least count of them (or the time is up).
    QList<int> next(int count, int timeoutMs = 5000)
    {
        static_cast<void>(QTest::qWaitFor([&] { return spy.size() >= count; }, timeoutMs));
        QList<int> codes;
        for (const QList<QVariant>& call : qAsConst(spy)) {
            codes << call.at(0).toInt();
        }
        spy.clear();
        return codes;
    }
    // Lets pending events arrive, then says what came.
    QList<int> settled() { return next(1000, 300); }
    void check() { QMetaObject::invokeMethod(filter.get(), "checkProcessesAndWindowsTitles"); }
};

// What the main window does with the codes, reduced to presentation mode: a reason pauses only
// when nothing paused before, and only its own end resumes.
struct PauseRule
{
    bool paused = false;
    QSet<int> reasons;

    void apply(int code)
    {
        static const QMap<int, int> pauses{{0, 0}, {2, 2}, {5, 5}};
        static const QMap<int, int> resumes{{1, 0}, {3, 2}, {4, 5}};
        if (pauses.contains(code) && !paused) {
            paused = true;
            reasons.insert(pauses.value(code));
        } else if (resumes.contains(code) && reasons.remove(resumes.value(code))) {
            paused = false;
        }
    }
};

} // namespace

class SystemListenerLiveTest : public QObject
{
    Q_OBJECT

public:
    explicit SystemListenerLiveTest(QString xsettingsConfig, pid_t xsettingsPid)
        : m_xsettingsConfig(std::move(xsettingsConfig)), m_xsettingsPid(xsettingsPid)
    {
    }

private:
    QString m_xsettingsConfig;
    pid_t m_xsettingsPid;
    QTemporaryDir m_dir;
    TestProcesses m_processes;
    std::unique_ptr<MockSystemBus> m_bus;
    QProcess* m_openbox = nullptr;

    void requireBus()
    {
        if (m_bus->address().isEmpty()) {
            QSKIP(qPrintable("no mocked system bus: " + m_bus->whyUnavailable()));
        }
    }

    void requireDisplay()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("Xvfb did not start");
        }
    }

    // logind with a session of this user; the session and GetSessionByPID are in place before
    // the mock answers its first call.
    QProcess* startLogind(const QString& sessionId, bool byPid)
    {
        const QString templatePath = m_dir.filePath("logind_with_session.py");
        QFile file(templatePath);
        if (!file.exists() && file.open(QIODevice::WriteOnly)) {
            file.write(
                "import dbus\n"
                "from dbusmock.templates import logind\n"
                "from dbusmock.templates.logind import *\n"
                "def load(mock, parameters):\n"
                "    logind.load(mock, parameters)\n"
                "    path = mock.AddSession(parameters['session'], 'seat0',\n"
                "                           dbus.UInt32(parameters['uid']), 'tester', True)\n"
                "    if parameters['by_pid']:\n"
                "        mock.AddMethod(MAIN_IFACE, 'GetSessionByPID', 'u', 'o',\n"
                "                       'ret = \"' + path + '\"')\n");
            file.close();
        }
        return m_bus->startTemplate(templatePath, login1,
                                    QStringLiteral(R"({"session": "%1", "uid": %2, "by_pid": %3})")
                                        .arg(sessionId)
                                        .arg(getuid())
                                        .arg(byPid ? "true" : "false"));
    }

    static QString sessionPath(const QString& id)
    {
        return QStringLiteral("/org/freedesktop/login1/session/") + id;
    }

    void session(const QString& path, const QString& method, const QVariantList& arguments = {})
    {
        m_bus->call(login1, path, "org.freedesktop.login1.Session", method, arguments);
    }

    void prepareForSleep(bool start)
    {
        m_bus->mock(login1, managerPath, "EmitSignal",
                    {managerInterface, "PrepareForSleep", "b", QVariantList{start}});
    }

    // The sleep delay locks Winkwell holds.
    int sleepDelays()
    {
        const QDBusMessage reply =
            m_bus->call(login1, managerPath, managerInterface, "ListInhibitors");
        const auto list = reply.arguments().value(0).value<QDBusArgument>();
        int count = 0;
        list.beginArray();
        while (!list.atEnd()) {
            QString what, who, why, mode;
            quint32 uid = 0, pid = 0;
            list.beginStructure();
            list >> what >> who >> why >> mode >> uid >> pid;
            list.endStructure();
            count += what == "sleep" && who == "Winkwell" && mode == "delay" ? 1 : 0;
        }
        list.endArray();
        return count;
    }

    void updateProperty(const QString& service, const QString& path, const QString& interface,
                        const QString& name, const QVariant& value)
    {
        m_bus->mock(service, path, "UpdateProperties", {interface, QVariantMap{{name, value}}});
    }

    static void screenSaverActive(bool active)
    {
        QDBusConnection sender =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "screen-saver");
        QDBusMessage signal = QDBusMessage::createSignal(
            "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged");
        signal << active;
        sender.send(signal);
    }

    QWindow* showWindow(const QString& title)
    {
        auto* window = new QWindow;
        window->setTitle(title);
        window->resize(200, 100);
        window->show();
        return window;
    }

private slots:
    void initTestCase()
    {
        RecordedLog::install(/*onlyWarnings=*/false);
        m_bus = std::make_unique<MockSystemBus>(m_processes);
        if (!m_bus->address().isEmpty()) {
            // The listener's system bus; read when first used.
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_bus->address().toLocal8Bit());
        }
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            m_openbox = m_processes.start("openbox", {"--sm-disable"});
            QVERIFY(m_openbox);
            QVERIFY(QTest::qWaitFor([] {
                return TestProcesses::run(
                    "sh", {"-c", "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"},
                    qEnvironmentVariable("DISPLAY"));
            }));
        }
    }

    void init() { RecordedLog::lines.clear(); }
    void cleanupTestCase() { RecordedLog::uninstall(); }

    void lockAndSuspendFromLogindAndTheScreenSaver()
    {
        requireBus();
        QProcess* logind = startLogind("c1", true);
        QVERIFY(logind);
        const QString c1 = sessionPath("c1");

        Listener listener;
        QTRY_COMPARE(sleepDelays(), 1);
        session(c1, "SetLockedHint", {true});
        QCOMPARE(listener.next(1), QList<int>{0});
        // The other sources then repeat what is known and are dropped.
        session(c1, "Lock");
        screenSaverActive(true);
        QCOMPARE(listener.settled(), QList<int>{});
        session(c1, "Unlock");
        QCOMPARE(listener.next(1), QList<int>{1});
        session(c1, "SetLockedHint", {false});
        screenSaverActive(true);
        screenSaverActive(false);
        QCOMPARE(listener.next(2), (QList<int>{0, 1}));

        // Suspend: the delay lock is held until the pause has reached the engine, and comes back
        // after the resume.
        prepareForSleep(true);
        prepareForSleep(true);
        QCOMPARE(listener.next(1), QList<int>{2});
        QTest::qWait(500);
        QCOMPARE(sleepDelays(), 1);
        listener.filter->confirmReadyForSleep();
        QTRY_COMPARE(sleepDelays(), 0);
        prepareForSleep(false);
        prepareForSleep(false);
        QCOMPARE(listener.next(1), QList<int>{3});
        QCOMPARE(listener.settled(), QList<int>{});
        QTRY_COMPARE(sleepDelays(), 1);
        // Never confirmed: the machine still sleeps, a moment later.
        prepareForSleep(true);
        QCOMPARE(listener.next(1), QList<int>{2});
        QTRY_COMPARE_WITH_TIMEOUT(sleepDelays(), 0, 3000);
        prepareForSleep(false);
        QCOMPARE(listener.next(1), QList<int>{3});
        QTRY_COMPARE(sleepDelays(), 1);

        // A user who paused stays paused through lock, suspend, resume and unlock.
        PauseRule rule;
        rule.paused = true;
        connect(listener.filter.get(), &EventFilter::sessionChangeDetected, this,
                [&rule](int code) { rule.apply(code); });
        session(c1, "Lock");
        prepareForSleep(true);
        prepareForSleep(false);
        session(c1, "Unlock");
        QCOMPARE(listener.next(4), (QList<int>{0, 2, 3, 1}));
        QVERIFY(rule.paused);

        // logind leaves and comes back: the session and the delay lock are found again.
        QVERIFY(m_bus->stopTemplate(logind, login1));
        QTRY_COMPARE(RecordedLog::timesLogged("logind left the system bus"), 1);
        logind = startLogind("c1", true);
        QVERIFY(logind);
        QTRY_COMPARE(sleepDelays(), 1);
        QTRY_COMPARE(RecordedLog::timesLogged("logind session " + c1), 2);
        QCOMPARE(RecordedLog::timesLogged("logind appeared on the system bus"), 1);
        session(c1, "Lock");
        QCOMPARE(listener.next(1), QList<int>{0});
        QVERIFY(m_bus->stopTemplate(logind, login1));
    }

    void aLockOnlyRequestedEndsWhenTheUserIsBack()
    {
        requireBus();
        requireDisplay();
        QProcess* logind = startLogind("c2", true);
        QVERIFY(logind);
        const QString c2 = sessionPath("c2");
        Listener listener;
        QTRY_COMPARE(RecordedLog::timesLogged("logind session " + c2), 1);
        const auto input = [] {
            QTest::qWait(SessionMonitor::kLockRequestGraceMs + 300);
            QVERIFY(TestProcesses::run("xdotool", {"mousemove_relative", "--", "7", "7"},
                                       qEnvironmentVariable("DISPLAY")));
        };

        // A locker that sets neither the hint nor the screen saver's state: the request
        // pauses, and the user's input after it resumes.
        session(c2, "Lock");
        QCOMPARE(listener.next(1), QList<int>{0});
        QCOMPARE(listener.settled(), QList<int>{});
        input();
        QCOMPARE(listener.next(1, 3000), QList<int>{1});

        // A locker that confirms: input at its prompt resumes nothing, its unlock does.
        session(c2, "Lock");
        session(c2, "SetLockedHint", {true});
        QCOMPARE(listener.next(1), QList<int>{0});
        input();
        QCOMPARE(listener.settled(), QList<int>{});
        session(c2, "SetLockedHint", {false});
        QCOMPARE(listener.next(1), QList<int>{1});
        QVERIFY(m_bus->stopTemplate(logind, login1));
    }

    void sessionFoundThroughXdgSessionId()
    {
        requireBus();
        QProcess* logind = startLogind("c7", false);
        QVERIFY(logind);
        ScopedEnvironment environment;
        environment.set("XDG_SESSION_ID", "c7");
        Listener listener;
        QTRY_COMPARE(RecordedLog::timesLogged("logind session " + sessionPath("c7")), 1);
        session(sessionPath("c7"), "SetLockedHint", {true});
        QCOMPARE(listener.next(1), QList<int>{0});
        QVERIFY(m_bus->stopTemplate(logind, login1));
    }

    void powerServicesThatComeAndGo()
    {
        requireBus();
        Listener listener; // neither UPower nor power-profiles-daemon is there yet
        QTRY_COMPARE(RecordedLog::timesLogged("UPower (org.freedesktop.UPower) does not answer"),
                     1);
        QTRY_COMPARE(RecordedLog::timesLogged(
                         "power-profiles-daemon (net.hadess.PowerProfiles) does not answer"),
                     1);
        listener.filter->checkBatteryStatus();
        listener.filter->checkPowerSaverStatus();
        QCOMPARE(listener.settled(), QList<int>{});

        QProcess* upowerMock = m_bus->startTemplate("upower", upower);
        QVERIFY(upowerMock);
        QCOMPARE(listener.next(2), (QList<int>{14, 8})); // mains, lid open
        QProcess* profilesMock = m_bus->startTemplate("power_profiles_daemon", profiles);
        QVERIFY(profilesMock);
        QCOMPARE(listener.next(1), QList<int>{15});

        updateProperty(upower, upowerPath, upower, "OnBattery", true);
        QCOMPARE(listener.next(1), QList<int>{13});
        updateProperty(upower, upowerPath, upower, "LidIsClosed", true);
        QCOMPARE(listener.next(1), QList<int>{9});
        updateProperty(profiles, profilesPath, profiles, "ActiveProfile", "power-saver");
        QCOMPARE(listener.next(1), QList<int>{16});
        listener.filter->checkBatteryStatus();
        listener.filter->checkPowerSaverStatus();
        QCOMPARE(listener.next(2), (QList<int>{13, 16}));

        // A value of the wrong type is logged and left alone.
        updateProperty(upower, upowerPath, upower, "OnBattery", "yes");
        QCOMPARE(listener.settled(), QList<int>{});
        QTRY_COMPARE(RecordedLog::timesLogged(
                         "UPower OnBattery has an unexpected type QString and is ignored"),
                     1);

        QVERIFY(m_bus->stopTemplate(upowerMock, upower));
        QTRY_COMPARE(RecordedLog::timesLogged("UPower left the system bus"), 1);
        listener.filter->checkBatteryStatus();
        QCOMPARE(listener.settled(), QList<int>{});
        upowerMock = m_bus->startTemplate("upower", upower, R"({"OnBattery": true})");
        QVERIFY(upowerMock);
        QCOMPARE(listener.next(2), (QList<int>{13, 8}));
        QVERIFY(m_bus->stopTemplate(upowerMock, upower));
        QVERIFY(m_bus->stopTemplate(profilesMock, profiles));
    }

    void displayChangesOnXvfb()
    {
        requireDisplay();
        Listener listener;
        QCOMPARE(RecordedLog::timesLogged("the X server has no DPMS, display off is not seen"), 1);
        listener.filter->checkDisplayTopology();
        QCOMPARE(listener.next(1), QList<int>{12});

        const QString display = qEnvironmentVariable("DISPLAY");
        QVERIFY(TestProcesses::run("xrandr",
                                   {"--newmode", "800x600_test", "40", "800", "840", "968", "1056",
                                    "600", "601", "605", "628"},
                                   display));
        QVERIFY(TestProcesses::run("xrandr", {"--addmode", "screen", "800x600_test"}, display));
        QVERIFY(TestProcesses::run("xrandr", {"--output", "screen", "--mode", "800x600_test"},
                                   display));
        QCOMPARE(listener.next(2), (QList<int>{10, 12}));
        QVERIFY(
            TestProcesses::run("xrandr", {"--output", "screen", "--mode", "1280x1024"}, display));
        QCOMPARE(listener.next(2), (QList<int>{10, 12}));

        if (m_xsettingsPid <= 0) {
            QSKIP("xsettingsd is not installed: the DPI change is not tried");
        }
        QFile config(m_xsettingsConfig);
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("Xft/DPI 147456\n"); // 144 dpi, in 1024ths
        config.close();
        kill(m_xsettingsPid, SIGHUP);
        QCOMPARE(listener.next(1), QList<int>{17});
    }

    void windowTitlesWithAWindowManager()
    {
        requireDisplay();
        Listener listener;
        listener.filter->enableWindowTitleCheck(true);
        listener.filter->enablePauseAppWindowTitleCheck(true);
        std::unique_ptr<QWindow> call(showWindow(QStringLiteral("Réunion hebdo – Zoom")));
        std::unique_ptr<QWindow> panel(showWindow(QStringLiteral("Panel dock")));
        // A dock (a panel) is never counted, whatever its title.
        panel->create();
        QVERIFY(
            TestProcesses::run("xprop",
                               {"-id", QString::number(panel->winId()), "-f", "_NET_WM_WINDOW_TYPE",
                                "32a", "-set", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DOCK"},
                               qEnvironmentVariable("DISPLAY")));

        listener.filter->setWindowTitles(QStringLiteral(";RÉUNION;"));
        QCOMPARE(listener.next(1), QList<int>{20});
        listener.filter->setPauseAppWindowTitles(QStringLiteral("dock"));
        listener.check();
        QCOMPARE(listener.settled(), QList<int>{});
        listener.filter->setPauseAppWindowTitles(QStringLiteral("zoom"));
        QCOMPARE(listener.next(1), QList<int>{22});

        // Minimised windows still count; closed ones do not.
        call->showMinimized();
        QTest::qWait(300);
        listener.check();
        QCOMPARE(listener.settled(), QList<int>{});
        call.reset();
        QCOMPARE(listener.next(2, 3000), (QList<int>{23, 21})); // from the timer
    }

    void windowTitlesWithoutAWindowManager()
    {
        auto bare = TestXServer::xvfb(m_dir.filePath("bare-xvfb.log"));
        if (bare->display().isEmpty()) {
            QSKIP("a second Xvfb did not start");
        }
        ScopedEnvironment environment;
        environment.set("DISPLAY", bare->display());
        Listener listener;
        listener.filter->enablePauseAppWindowTitleCheck(true);
        listener.filter->setPauseAppWindowTitles(QStringLiteral("teams"));
        QProcess* message =
            m_processes.start("xmessage", {"-title", "Quarterly review - Teams", "hello"});
        QVERIFY(message);
        QCOMPARE(listener.next(1, 5000), QList<int>{22});
        m_processes.stop(message);
        QCOMPARE(listener.next(1, 3000), QList<int>{23});

        // The X server goes away: said once, and nothing spins on the dead connection.
        bare.reset();
        timespec start{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        QTest::qWait(2500);
        listener.filter->checkDisplayTopology();
        timespec end{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        QVERIFY((end.tv_sec - start.tv_sec) * 1000 + (end.tv_nsec - start.tv_nsec) / 1000000 < 200);
        QCOMPARE(listener.next(1), QList<int>{12});
        QCOMPARE(RecordedLog::timesLogged("RandrDisplayMonitor: the X connection is gone"), 1);
        QCOMPARE(RecordedLog::timesLogged("X11WindowTitleLister: the X connection is gone"), 1);
    }

    void listedProcessFromProc()
    {
        const QString program = m_dir.filePath("ww-meeting-app");
        QVERIFY(QFile::copy("/bin/sleep", program));
        Listener listener;
        listener.filter->enableProcessCheck(true);
        listener.filter->setProcesses(QStringLiteral("other;;WW-Meeting-App.exe"));
        QCOMPARE(listener.settled(), QList<int>{});
        QProcess* meeting = m_processes.start(program, {"60"});
        QVERIFY(meeting);
        // Reported once while it keeps running, over several ticks of the timer.
        QCOMPARE(listener.next(1, 3000), QList<int>{18});
        QTest::qWait(2200);
        QCOMPARE(listener.settled(), QList<int>{});
        m_processes.stop(meeting);
        QCOMPARE(listener.next(1, 3000), QList<int>{19});
    }

    void clonedScreenOnXorg()
    {
        const auto server = TestXServer::xorgDummy(m_dir.path());
        const TestXServer& xorg = *server;
        if (xorg.display().isEmpty()) {
            QSKIP("Xorg with the dummy driver did not start here (xserver-xorg-video-dummy, "
                  "root); clone detection is covered by the fake layouts only");
        }
        ScopedEnvironment environment;
        environment.set("DISPLAY", xorg.display());
        Listener listener;
        listener.filter->checkDisplayTopology();
        QCOMPARE(listener.next(1), QList<int>{12});

        const QString display = xorg.display();
        QVERIFY(TestProcesses::run("xrandr", {"--addmode", "DUMMY1", "1024x768"}, display));
        QVERIFY(TestProcesses::run(
            "xrandr", {"--output", "DUMMY1", "--mode", "1024x768", "--same-as", "DUMMY0"},
            display));
        QList<int> codes = listener.next(2);
        QCOMPARE(codes.first(), 10);
        QCOMPARE(codes.last(), 11);
        QVERIFY(
            TestProcesses::run("xrandr", {"--output", "DUMMY1", "--right-of", "DUMMY0"}, display));
        codes = listener.next(2);
        QCOMPARE(codes.first(), 10);
        QCOMPARE(codes.last(), 12);
        QVERIFY(
            TestProcesses::run("xrandr", {"--output", "DUMMY1", "--same-as", "DUMMY0"}, display));
        QCOMPARE(listener.next(2).last(), 11);
        QVERIFY(TestProcesses::run("xrandr", {"--output", "DUMMY1", "--off"}, display));
        QCOMPARE(listener.next(2).last(), 12);
    }

    void waylandSessionWithoutX()
    {
        ScopedEnvironment environment;
        environment.set("XDG_SESSION_TYPE", "wayland");
        environment.unset("DISPLAY");
        Listener listener;
        QCOMPARE(RecordedLog::timesLogged(
                     "Wayland session: lock, suspend, lid, battery and power saver"),
                 1);
        QCOMPARE(RecordedLog::timesLogged("X11WindowTitleLister: no X display"), 1);
        listener.filter->enableWindowTitleCheck(true);
        listener.filter->setWindowTitles(QStringLiteral("zoom"));
        listener.filter->checkDisplayTopology();
        QCOMPARE(listener.next(1), QList<int>{12});
    }
};

namespace {

// Waits until an XSETTINGS manager owns its selection: Qt reads the DPI from it only when it is
// there at start-up.
bool waitForXSettings(const QString& display)
{
    const QByteArray name = display.toLocal8Bit();
    xcb_connection_t* connection = xcb_connect(name.constData(), nullptr);
    const char atomName[] = "_XSETTINGS_S0";
    bool owned = false;
    for (int i = 0; i < 100 && !owned && xcb_connection_has_error(connection) == 0; ++i) {
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::strlen(atomName), atomName), nullptr);
        xcb_get_selection_owner_reply_t* owner =
            atom ? xcb_get_selection_owner_reply(
                       connection, xcb_get_selection_owner(connection, atom->atom), nullptr)
                 : nullptr;
        owned = owner && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
        std::free(atom);
        if (!owned) {
            usleep(50000);
        }
    }
    xcb_disconnect(connection);
    return owned;
}

} // namespace

int main(int argc, char** argv)
{
    // The application's own display and XSETTINGS daemon come first: Qt takes both at start.
    QTemporaryDir dir;
    const auto xvfb = TestXServer::xvfb(dir.filePath("xvfb.log"));
    std::unique_ptr<ChildProcess> xsettings;
    const QString xsettingsConfig = dir.filePath("xsettingsd.conf");
    if (!xvfb->display().isEmpty()) {
        qputenv("DISPLAY", xvfb->display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
        QFile config(xsettingsConfig);
        if (config.open(QIODevice::WriteOnly)) {
            config.write("Xft/DPI 98304\n");
            config.close();
        }
        if (!QStandardPaths::findExecutable("xsettingsd").isEmpty()) {
            xsettings = std::make_unique<ChildProcess>(
                "xsettingsd", QStringList{"-c", xsettingsConfig}, dir.filePath("xsettingsd.log"));
            if (!waitForXSettings(xvfb->display())) {
                xsettings.reset();
            }
        }
    }
    QGuiApplication application(argc, argv);
    SystemListenerLiveTest test(xsettingsConfig, xsettings ? xsettings->pid() : -1);
    return QTest::qExec(&test, argc, argv);
}

#include "test_system_listener_live.moc"
