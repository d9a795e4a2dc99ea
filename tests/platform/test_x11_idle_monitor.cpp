#include "platform/linux/X11IdleMonitor.h"

#include <QtTest>
#include <X11/Xlib.h>

class X11IdleMonitorTest : public QObject
{
    Q_OBJECT

private slots:
    void withoutDisplayIdleIsUnknown();
    void readsPointerAndIdleTimeFromTheServer();
};

void X11IdleMonitorTest::withoutDisplayIdleIsUnknown()
{
    QTest::ignoreMessage(QtWarningMsg, "X11IdleMonitor: no X display, idle time counts as 0");
    X11IdleMonitor monitor(":987");
    QVERIFY(!monitor.hasDisplay());
    QCOMPARE(monitor.idleMilliseconds(), std::optional<quint32>());
    QCOMPARE(monitor.cursorPosition(), QPoint(0, 0));
}

void X11IdleMonitorTest::readsPointerAndIdleTimeFromTheServer()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QSKIP("needs an X server");
    }
    X11IdleMonitor monitor;
    QVERIFY(monitor.hasDisplay());
    QVERIFY2(monitor.hasIdleTime(), "the server lacks the XScreenSaver extension");
    QVERIFY(monitor.idleMilliseconds().has_value());

    // Move the pointer through a connection of the test's own.
    Display* display = XOpenDisplay(nullptr);
    QVERIFY(display);
    XWarpPointer(display, 0, DefaultRootWindow(display), 0, 0, 0, 0, 12, 34);
    XSync(display, False);
    XCloseDisplay(display);
    QCOMPARE(monitor.cursorPosition(), QPoint(12, 34));
}

QTEST_GUILESS_MAIN(X11IdleMonitorTest)
#include "test_x11_idle_monitor.moc"
