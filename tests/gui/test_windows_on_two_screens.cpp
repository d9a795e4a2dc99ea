#include "gui/WinkwellGUI.h"
#include "gui/reminders/BlinkReminderWidget.h"
#include "gui/reminders/BreakReminderWidget.h"
#include "gui/reminders/ExerciseReminderWidget.h"
#include "platform/fake/FakeAutostart.h"
#include "platform/fake/FakeCameraCatalog.h"
#include "platform/fake/FakeGlobalShortcut.h"
#include "support/FakeSystemListener.h"
#include "systemsession/TestServices.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The windows on a desk with two monitors whose primary one is not at the origin: a small one at
// (0, 0) and the primary to its right, taller, so that spots counted from (0, 0) with the
// primary's size lie on no monitor at all. Xorg with the dummy driver, laid out with xrandr,
// under openbox.
class TwoScreensTest : public QObject
{
    Q_OBJECT

public:
    explicit TwoScreensTest(bool ready) : m_ready(ready) {}

private:
    bool m_ready;

    static QSettings store()
    {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orvalde", "winkwell");
    }
    static QRect primary() { return QGuiApplication::primaryScreen()->availableGeometry(); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (!m_ready) {
            QSKIP("Xorg with the dummy driver did not start here (xserver-xorg-video-dummy, root)");
        }
        QCOMPARE(QGuiApplication::screens().size(), 2);
        QCOMPARE(primary().topLeft(), QPoint(640, 0));
    }

    void init() { store().clear(); }

    void defaultPlacesAreOnThePrimaryScreen()
    {
        BlinkReminderWidget blink;
        blink.rollOut(false);
        QTRY_VERIFY(blink.width() > 169);
        QTest::qWait(400); // the slide is over, and no second one starts
        QCOMPARE(blink.geometry().right(), primary().right());
        QCOMPARE(blink.y(), primary().top() + 200);
        const QRect slid = blink.geometry();
        QTest::qWait(700);
        QCOMPARE(blink.geometry(), slid);

        BreakReminderWidget breakWindow;
        breakWindow.popUp();
        QVERIFY(QTest::qWaitForWindowExposed(&breakWindow));
        QVERIFY(breakWindow.isVisible());
        QCOMPARE(breakWindow.geometry().right(), primary().right());
        QCOMPARE(breakWindow.geometry().bottom(), primary().bottom() - 100);

        ExerciseReminderWidget exercise;
        exercise.fadeIn();
        QCOMPARE(exercise.pos(), QPoint(primary().x() + primary().width() / 2,
                                        primary().y() + primary().height() / 2));
    }

    void theMainWindowOpensOnThePrimaryScreen()
    {
        GuiServices services;
        services.systemListenerFactory = [] {
            return std::unique_ptr<SystemSession::EventFilter>(new FakeSystemListener);
        };
        services.cameras = std::make_shared<FakeCameraCatalog>();
        services.autostart = std::make_shared<FakeAutostart>();
        const auto keys = std::make_shared<FakeGlobalShortcuts>();
        services.globalShortcut = keys->factory();
        services.languages = [] { return QVector<QLocale>{QLocale::c()}; };
        services.setLanguage = [](int) {};
        WinkwellGUI gui(services);
        QCOMPARE(gui.pos(), QPoint(primary().x() + primary().width() / 2, primary().y()));
        // Left where the small monitor was but is not: it comes back to the primary screen.
        gui.move(100, 600);
        gui.openWindow();
        QCOMPARE(gui.pos(), QPoint(primary().x() + primary().width() / 2, primary().y()));
    }

    void aStoredSpotOnNoMonitorFallsBackToThePrimary()
    {
        store().setValue("G/BRPX", 100);
        store().setValue("G/BRPY", 600); // below the small monitor
        BreakReminderWidget breakWindow;
        breakWindow.popUp();
        QVERIFY(primary().contains(breakWindow.geometry()));
        QCOMPARE(store().value("G/BRPY").toInt(), 600); // kept for the monitor's return
    }
};

int main(int argc, char* argv[])
{
    QTemporaryDir dir;
    const auto xorg = TestXServer::xorgDummy(dir.path());
    std::unique_ptr<ChildProcess> openbox;
    bool ready = false;
    const QString display = xorg->display();
    if (!display.isEmpty()) {
        const QList<QStringList> layout{
            {"--output", "DUMMY0", "--mode", "640x480", "--pos", "0x0"},
            {"--addmode", "DUMMY1", "1024x768"},
            {"--output", "DUMMY1", "--mode", "1024x768", "--pos", "640x0", "--primary"},
            // A full query polls the outputs: without it the driver may still report DUMMY1
            // as disconnected to a client that asks for the current state only.
            {},
        };
        ready = true;
        for (const QStringList& step : layout) {
            ready = ready && TestProcesses::run("xrandr", step, display);
        }
        qputenv("DISPLAY", display.toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
        openbox = std::make_unique<ChildProcess>("openbox", QStringList{"--sm-disable"},
                                                 dir.filePath("openbox.log"));
        ready = ready && QTest::qWaitFor([&] {
                    return TestProcesses::run(
                        "sh", {"-c", "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"},
                        display);
                });
    }
    if (!ready) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    TwoScreensTest test(ready);
    return QTest::qExec(&test, argc, argv);
}

#include "test_windows_on_two_screens.moc"
