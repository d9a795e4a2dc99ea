#include "gui/WinkwellGUI.h"
#include "platform/fake/FakeAutostart.h"
#include "platform/fake/FakeCameraCatalog.h"
#include "platform/fake/FakeGlobalShortcut.h"
#include "support/FakeSystemListener.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The tray icon under a StatusNotifierItem host (KDE Plasma, GNOME's AppIndicator extension,
// Xfce): such a host sends one activation for a click, and that opens the window. The host is a
// StatusNotifierWatcher mocked on a session bus of this test's own: the framework chooses the
// kind of tray once per process, so the test runs itself again inside dbus-run-session.
namespace {

const char* const kChild = "WINKWELL_TRAY_HOST_CHILD";
const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

const char* const kWatcherTemplate = R"(import dbus
BUS_NAME = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
SYSTEM_BUS = False

def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, {
        'IsStatusNotifierHostRegistered': dbus.Boolean(True),
        'ProtocolVersion': dbus.Int32(0),
        'RegisteredStatusNotifierItems': dbus.Array([], signature='s'),
    })
    mock.AddMethods(MAIN_IFACE, [
        ('RegisterStatusNotifierItem', 's', '', ''),
        ('RegisterStatusNotifierHost', 's', '', ''),
    ])
)";

} // namespace

class TrayHostTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_watcher;

    static QStringList items()
    {
        return QDBusConnection::sessionBus().interface()->registeredServiceNames().value().filter(
            QStringLiteral("org.kde.StatusNotifierItem-"));
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X display (test.sh starts one)");
        }
        if (QProcess::execute(kPython, {"-c", "import dbusmock"}) != 0) {
            QSKIP("python3-dbusmock is not installed");
        }
        QFile file(m_dir.filePath("watcher.py"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kWatcherTemplate);
        file.close();
        m_watcher.start(
            kPython, {"-m", "dbusmock", "--session", "--template", m_dir.filePath("watcher.py")});
        QTRY_VERIFY_WITH_TIMEOUT(
            QDBusConnection::sessionBus().interface()->isServiceRegistered(kWatcher).value(),
            10000);
    }

    void cleanupTestCase()
    {
        m_watcher.kill();
        m_watcher.waitForFinished();
    }

    void anActivationOpensTheWindow()
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
        gui.init();
        QTRY_COMPARE(items().size(), 1); // the icon went to the host, not into an XEmbed tray
        QVERIFY(gui.isHidden());
        // The host's call, from another process as a host makes it; this one answers it
        // meanwhile.
        QProcess host;
        host.start(kPython, {"-c",
                             "import dbus, sys; dbus.SessionBus().get_object(sys.argv[1], "
                             "'/StatusNotifierItem').Activate(0, 0, "
                             "dbus_interface='org.kde.StatusNotifierItem')",
                             items().first()});
        QTRY_COMPARE_WITH_TIMEOUT(host.state(), QProcess::NotRunning, 10000);
        QCOMPARE(host.exitCode(), 0);
        QTRY_VERIFY(gui.isVisible());
    }
};

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty(kChild)) {
        qputenv(kChild, "1");
        QStringList arguments{QStringLiteral("--"), QString::fromLocal8Bit(argv[0])};
        for (int i = 1; i < argc; ++i) {
            arguments << QString::fromLocal8Bit(argv[i]);
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QStringLiteral("dbus-run-session"), arguments);
        if (!child.waitForFinished(120000)) {
            child.kill();
            return 1;
        }
        return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
    }
    QApplication application(argc, argv);
    TrayHostTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_tray_hosts.moc"
