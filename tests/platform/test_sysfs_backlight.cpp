#include "controller/PanelLevels.h"
#include "controller/ScreenControl.h"
#include "platform/fake/FakeScreenGamma.h"
#include "platform/linux/SysfsBacklight.h"
#include "support/RecordedLog.h"
#include "systemsession/TestServices.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

// The panel backlight read from and written to sysfs-like trees, with logind mocked on a bus of
// the test's own.
namespace {

const QString login1 = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");

// A backlight device; a null attribute is a file that does not exist.
struct Device
{
    QString name;
    QByteArray type;
    QByteArray max;
    QByteArray actual;
    QByteArray brightness;
};

QList<int> range(int first, int last, int step = 1)
{
    QList<int> values;
    for (int value = first; value <= last; value += step) {
        values << value;
    }
    return values;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The kernel's side of a backlight device as real panels behave: a value written to brightness
// shows in actual_brightness only after latencyMs, rounded down to the hardware's own steps, and
// a write that comes before the last one showed replaces it, so two writes show as one.
class SimulatedPanel : public QObject
{
public:
    SimulatedPanel(const QString& device, int latencyMs, int step)
        : m_device(device), m_latencyMs(latencyMs), m_step(step)
    {
        m_seen = readRaw("brightness");
        connect(&m_timer, &QTimer::timeout, this, &SimulatedPanel::tick);
        m_timer.start(5);
        m_clock.start();
    }

    // The brightness keys or the firmware: the same path as a write, without this program.
    void changeElsewhere(int raw) { write("brightness", QByteArray::number(raw)); }
    int actual() const { return readRaw("actual_brightness"); }

private:
    int readRaw(const char* name) const
    {
        return readFile(m_device + QLatin1Char('/') + QLatin1String(name)).trimmed().toInt();
    }
    void write(const char* name, const QByteArray& value)
    {
        QFile file(m_device + QLatin1Char('/') + QLatin1String(name));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(value + '\n');
        }
    }
    void tick()
    {
        const int written = readRaw("brightness");
        if (written != m_seen) {
            m_seen = written;
            m_dueMs = m_clock.elapsed() + m_latencyMs;
        }
        if (m_dueMs >= 0 && m_clock.elapsed() >= m_dueMs) {
            m_dueMs = -1;
            write("actual_brightness", QByteArray::number(m_seen - m_seen % m_step));
        }
    }

    QString m_device;
    int m_latencyMs;
    int m_step;
    int m_seen = 0;
    qint64 m_dueMs = -1;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

} // namespace

Q_DECLARE_METATYPE(QVector<Device>)

class TestSysfsBacklight : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestProcesses m_processes;
    std::unique_ptr<MockSystemBus> m_bus;

    static void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
        file.write(content);
    }

    static void addDevice(const QString& root, const Device& device)
    {
        const QString dir = root + QLatin1Char('/') + device.name;
        QVERIFY(QDir().mkpath(dir));
        const std::pair<const char*, QByteArray> files[] = {{"type", device.type},
                                                            {"max_brightness", device.max},
                                                            {"actual_brightness", device.actual},
                                                            {"brightness", device.brightness}};
        for (const auto& [name, content] : files) {
            if (!content.isNull()) {
                write(dir + QLatin1Char('/') + QLatin1String(name), content);
            }
        }
    }

    QString freshRoot(const QString& name)
    {
        const QString root = m_dir.filePath(name);
        QDir(root).removeRecursively();
        return root;
    }

    // logind with the sessions given, whose SetBrightness records its arguments in
    // <session>.call under the temp folder, or fails when failing.
    QProcess* startLogind(const QStringList& sessions, bool byPid, bool failing)
    {
        QProcess* logind = m_bus->startTemplate(QStringLiteral("logind"), login1);
        if (!logind) {
            return nullptr;
        }
        for (const QString& session : sessions) {
            const QDBusMessage added =
                m_bus->mock(login1, managerPath, "AddSession",
                            {session, "seat0", static_cast<uint>(getuid()), "tester", true});
            const QString path = added.arguments().value(0).toString();
            const QString code =
                failing ? QStringLiteral("raise dbus.exceptions.DBusException('not in control', "
                                         "name='org.freedesktop.login1.NotInControl')")
                        : QStringLiteral("open('%1', 'w').write('%s %s %d' % tuple(args))")
                              .arg(m_dir.filePath(session + ".call"));
            m_bus->mock(login1, path, "AddMethod",
                        {"org.freedesktop.login1.Session", "SetBrightness", "ssu", "", code});
        }
        if (byPid) {
            m_bus->mock(login1, managerPath, "AddMethod",
                        {"org.freedesktop.login1.Manager", "GetSessionByPID", "u", "o",
                         "ret = '/org/freedesktop/login1/session/" + sessions.value(0) + "'"});
        }
        return logind;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        RecordedLog::install(/*onlyWarnings=*/true);
        m_bus = std::make_unique<MockSystemBus>(m_processes);
    }

    void cleanupTestCase() { RecordedLog::uninstall(); }

    void readsThePanel_data()
    {
        QTest::addColumn<QVector<Device>>("devices");
        QTest::addColumn<bool>("rootExists");
        QTest::addColumn<int>("brightness");
        QTest::addColumn<QList<int>>("levels");
        // Logged exactly once however often the panel is read; empty: no warning at all.
        QTest::addColumn<QString>("problem");

        // Never below the lowest visible level: 5 % of the maximum, and at least one raw step.
        const QList<int> sevenSteps{14, 29, 43, 57, 71, 86, 100};
        const QList<int> percent = range(5, 100);
        QTest::newRow("firmware over platform over raw")
            << QVector<Device>{{"a_raw", "raw", "100", "10", "10"},
                               {"b_platform", "platform", "100", "20", "20"},
                               {"c_other", "unknown", "100", "90", "90"},
                               {"d_firmware", "firmware\n", "7", "3", "3"}}
            << true << 43 << sevenSteps << QString();
        QTest::newRow("platform over raw")
            << QVector<Device>{{"a_raw", "raw", "100", "10", "10"},
                               {"b_platform", "platform", "255", "129", "129"}}
            << true << 51 << percent << QString();
        QTest::newRow("first by name among firmware")
            << QVector<Device>{{"acpi_video1", "firmware", "100", "90", "90"},
                               {"acpi_video0", "firmware", "100", "20", "20"}}
            << true << 20 << percent << QString();
        QTest::newRow("big maximum")
            << QVector<Device>{{"intel_backlight", "raw", "120000\n", "90000\n", "1"}} << true << 75
            << percent << QString();
        QTest::newRow("ten steps, brightness when actual_brightness is missing")
            << QVector<Device>{{"p", "platform", "10", QByteArray(), "5"}} << true << 50
            << range(10, 100, 10) << QString();
        QTest::newRow("garbage brightness")
            << QVector<Device>{{"p", "platform", "255", "12abc", QByteArray()}} << true << -1
            << percent << "brightness is not a number: \"12abc\"";
        QTest::newRow("brightness above the maximum")
            << QVector<Device>{{"p", "platform", "255", "300", "3"}} << true << -1 << percent
            << "actual_brightness 300 is outside 0..255";
        QTest::newRow("negative brightness")
            << QVector<Device>{{"p", "platform", "255", "-1", "3"}} << true << -1 << percent
            << "actual_brightness -1 is outside 0..255";
        QTest::newRow("zero maximum") << QVector<Device>{{"p", "platform", "0", "0", "0"}} << true
                                      << -1 << QList<int>() << "max_brightness 0 is not a usable";
        QTest::newRow("maximum beyond an int")
            << QVector<Device>{{"p", "platform", "99999999999", "5", "5"}} << true << -1
            << QList<int>() << "max_brightness 99999999999 is not a usable";
        QTest::newRow("binary maximum")
            << QVector<Device>{{"p", "platform", QByteArray("\x01\x02\xff", 3), "5", "5"}} << true
            << -1 << QList<int>() << "max_brightness is not a number";
        QTest::newRow("missing maximum")
            << QVector<Device>{{"p", "platform", QByteArray(), "5", "5"}} << true << -1
            << QList<int>() << "max_brightness cannot be read";
        QTest::newRow("only devices of unknown type")
            << QVector<Device>{{"x", "backlight", "10", "5", "5"},
                               {"y", QByteArray(), "1", "1", "1"}}
            << true << -1 << QList<int>() << "no device of type firmware, platform or raw";
        QTest::newRow("no device") << QVector<Device>() << true << -1 << QList<int>()
                                   << "no device of type firmware, platform or raw";
        QTest::newRow("no backlight class")
            << QVector<Device>() << false << -1 << QList<int>() << "does not exist";
    }

    void readsThePanel()
    {
        QFETCH(QVector<Device>, devices);
        QFETCH(bool, rootExists);
        QFETCH(int, brightness);
        QFETCH(QList<int>, levels);
        QFETCH(QString, problem);

        const QString root = freshRoot(QStringLiteral("read"));
        if (rootExists) {
            QVERIFY(QDir().mkpath(root));
        }
        for (const Device& device : devices) {
            addDevice(root, device);
        }
        RecordedLog::lines.clear();
        SysfsBacklight backlight(root, QDBusConnection(QStringLiteral("none")));
        QCOMPARE(backlight.brightness(), brightness);
        QCOMPARE(backlight.brightness(), brightness);
        QCOMPARE(backlight.supportedLevels(), levels);
        if (problem.isEmpty()) {
            QCOMPARE(RecordedLog::lines, QStringList());
        } else {
            QCOMPARE(RecordedLog::timesLogged(problem), 1);
        }
    }

    void followsChangesByPolling()
    {
        const QString root = freshRoot(QStringLiteral("watch"));
        const QString actual = root + "/panel/actual_brightness";
        addDevice(root, {"panel", "firmware", "1000", "500", QByteArray()});
        RecordedLog::lines.clear();
        SysfsBacklight backlight(root, QDBusConnection(QStringLiteral("none")));
        QSignalSpy changes(&backlight, &Backlight::brightnessChanged);
        QVERIFY(backlight.startWatching());
        QVERIFY(backlight.isWatching());

        // The value at the start counts as reported.
        backlight.checkForChange();
        QCOMPARE(changes.count(), 0);

        // Found by the timer on its own.
        write(actual, "750\n");
        QTRY_COMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toInt(), 75);

        // The same value, another raw value of the same percentage, and garbage: nothing new.
        const QByteArray unchanged[] = {"750", "754", "n/a"};
        for (const QByteArray& value : unchanged) {
            write(actual, value);
            backlight.checkForChange();
        }
        QCOMPARE(changes.count(), 1);
        QCOMPARE(RecordedLog::timesLogged("actual_brightness is not a number"), 1);

        // The device goes: nothing to report, one line however often it is looked for.
        QVERIFY(QDir(root + "/panel").removeRecursively());
        backlight.checkForChange();
        backlight.checkForChange();
        QCOMPARE(backlight.brightness(), -1);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(RecordedLog::timesLogged("no device of type"), 1);

        // It comes back with another brightness.
        addDevice(root, {"panel", "firmware", "1000", "200", QByteArray()});
        backlight.checkForChange();
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(1).at(0).toInt(), 20);

        backlight.stopWatching();
        QVERIFY(!backlight.isWatching());
        write(actual, "300");
        backlight.checkForChange();
        QCOMPARE(changes.count(), 2);
    }

    void sliderOnARealPanel_data()
    {
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("step");    // of the hardware, in raw units
        QTest::addColumn<int>("latency"); // ms from a write to actual_brightness

        QTest::newRow("seven firmware steps") << 7 << 1 << 150;
        QTest::newRow("255, read back in steps of 16") << 255 << 16 << 120;
        QTest::newRow("100, slower than the reads") << 100 << 1 << 300;
    }

    // The slider, the panel and the desktop's keys together, against a panel that answers late,
    // merges writes and reads back in its own steps. Whatever happens, once things settle the
    // panel shows what the slider means, and every position can be chosen.
    void sliderOnARealPanel()
    {
        QFETCH(int, max);
        QFETCH(int, step);
        QFETCH(int, latency);

        const QString root = freshRoot(QStringLiteral("desk"));
        const QString start = QByteArray::number(max / 2);
        addDevice(root, {"panel", "firmware", QByteArray::number(max), start.toLatin1(),
                         start.toLatin1()});
        SimulatedPanel kernel(root + "/panel", latency, step);
        ScreenControl::Devices devices;
        devices.gamma = [] { return std::make_unique<FakeScreenGamma>(); };
        devices.backlight = [root] {
            return std::make_unique<SysfsBacklight>(root, QDBusConnection(QStringLiteral("none")),
                                                    40);
        };
        ScreenControl screen(devices);
        // The window: moves its slider when asked, and answers a little later, as a queued
        // signal through a busy event loop does.
        int windowSlider = -100;
        QStringList asked;
        connect(&screen, &ScreenControl::HWbrightnessControlDetected,
                [&](int position) { windowSlider = position; });
        connect(&screen, &ScreenControl::adjustBrightnessSlider, [&](int position) {
            asked << QString::number(position);
            QTimer::singleShot(60, &screen, [&screen, &windowSlider, position] {
                if (windowSlider != position) {
                    windowSlider = position;
                    screen.setBrightness(position);
                }
            });
        });
        const auto choose = [&](int position) {
            windowSlider = position;
            screen.setBrightness(position);
        };
        PanelLevels levels;
        levels.setLevels(
            SysfsBacklight(root, QDBusConnection(QStringLiteral("none"))).supportedLevels());
        const auto written = [&] { return readFile(root + "/panel/brightness").trimmed().toInt(); };
        const auto rawFor = [max](int percent) { return (percent * max * 2 + 100) / 200; };
        const auto percentShown = [&] {
            return static_cast<int>((kernel.actual() * 200LL + max) / (2LL * max));
        };
        // Settled: the panel shows the slider's position (within the hardware's own steps).
        const auto settle = [&] {
            QTest::qWait(latency + 500);
            const int shown = percentShown();
            QVERIFY2(levels.levelFor(std::max(windowSlider, 0)) == shown ||
                         levels.positionFor(shown, PanelLevels::Rounding::Nearest) == windowSlider,
                     qPrintable(QStringLiteral("the panel shows %1 %, the slider %2")
                                    .arg(shown)
                                    .arg(windowSlider)));
            QCOMPARE(screen.brightnessSlider(), windowSlider);
        };

        screen.setEnabled(true);
        screen.detect(0);
        QVERIFY(windowSlider >= 0);
        choose(windowSlider);
        settle();

        // Two quick presses of "darker", one of "brighter".
        const int before = windowSlider;
        choose(before - 1);
        choose(before - 2);
        choose(before - 1);
        settle();
        QCOMPARE(asked, QStringList());

        // A fast drag from 10 to 2, then 6 and 7 each written.
        for (int position = 10; position >= 2; --position) {
            choose(position);
            QTest::qWait(10);
        }
        settle();
        for (int position : {6, 7, 4, 5}) {
            choose(position);
            settle();
            QCOMPARE(written(), rawFor(levels.levelFor(position)));
        }
        QCOMPARE(asked, QStringList());

        // The desktop's keys step up twice, quicker than the window answers: the slider
        // follows the panel, and the panel is not written back.
        const int keys = max * 9 / 10;
        kernel.changeElsewhere(max * 7 / 10);
        QTest::qWait(latency / 2);
        kernel.changeElsewhere(keys);
        settle();
        QVERIFY(!asked.isEmpty());
        QCOMPARE(written(), keys);

        // A write the kernel refuses (the device file has gone) is not waited for.
        QVERIFY(QFile::rename(root + "/panel/brightness", root + "/panel/brightness.away"));
        choose(3);
        QVERIFY(QFile::rename(root + "/panel/brightness.away", root + "/panel/brightness"));
        choose(4);
        settle();
        choose(3);
        settle();
        QCOMPARE(written(), rawFor(levels.levelFor(3)));
    }

    void setsThroughLogind_data()
    {
        QTest::addColumn<QString>("logind"); // none, by-pid, auto, failing, no-bus
        QTest::addColumn<bool>("brightnessFile");
        QTest::addColumn<QByteArray>("max");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("session"); // whose SetBrightness is called; empty: direct write
        QTest::addColumn<bool>("result");

        QTest::newRow("session of this process") << "by-pid" << true << QByteArray("120000") << 50
                                                 << QByteArray("60000") << "c1" << true;
        QTest::newRow("auto session, clamped above")
            << "auto" << true << QByteArray("255") << 150 << QByteArray("255") << "auto" << true;
        QTest::newRow("logind refuses: written directly, kept above off")
            << "failing" << true << QByteArray("255") << -5 << QByteArray("13") << QString()
            << true;
        QTest::newRow("0 % of a coarse panel is its first step")
            << "by-pid" << true << QByteArray("7") << 0 << QByteArray("1") << "c1" << true;
        QTest::newRow("no logind: written directly")
            << "none" << true << QByteArray("7") << 43 << QByteArray("3") << QString() << true;
        QTest::newRow("no system bus: written directly")
            << "no-bus" << true << QByteArray("1000") << 33 << QByteArray("330") << QString()
            << true;
        QTest::newRow("no logind and no brightness file")
            << "none" << false << QByteArray("100") << 40 << QByteArray() << QString() << false;
    }

    void setsThroughLogind()
    {
        QFETCH(QString, logind);
        QFETCH(bool, brightnessFile);
        QFETCH(QByteArray, max);
        QFETCH(int, percent);
        QFETCH(QByteArray, raw);
        QFETCH(QString, session);
        QFETCH(bool, result);

        if (logind != "no-bus" && m_bus->address().isEmpty()) {
            QSKIP(qPrintable("no mocked system bus: " + m_bus->whyUnavailable()));
        }
        const QString root = freshRoot(QStringLiteral("set"));
        addDevice(root, {"intel_backlight", "raw", max, "1", brightnessFile ? "1" : QByteArray()});
        QFile::remove(m_dir.filePath("c1.call"));
        QFile::remove(m_dir.filePath("auto.call"));

        QProcess* mock = nullptr;
        if (logind == "by-pid" || logind == "auto" || logind == "failing") {
            const QStringList sessions =
                logind == "auto" ? QStringList{"auto"} : QStringList{"c1", "auto"};
            mock = startLogind(sessions, logind != "auto", logind == "failing");
            QVERIFY(mock);
        }
        QDBusConnection bus = logind == "no-bus"
                                  ? QDBusConnection(QStringLiteral("none"))
                                  : QDBusConnection::connectToBus(m_bus->address(), "backlight");
        {
            SysfsBacklight backlight(root, bus);
            QCOMPARE(backlight.setBrightness(percent), result);
        }
        QDBusConnection::disconnectFromBus("backlight");
        if (mock) {
            QVERIFY(m_bus->stopTemplate(mock, login1));
        }

        const QByteArray written = readFile(root + "/intel_backlight/brightness");
        if (session.isEmpty()) {
            QCOMPARE(written.trimmed(), brightnessFile ? raw : QByteArray());
            QVERIFY(!QFile::exists(m_dir.filePath("c1.call")));
            QVERIFY(!QFile::exists(m_dir.filePath("auto.call")));
        } else {
            QCOMPARE(readFile(m_dir.filePath(session + ".call")),
                     "backlight intel_backlight " + raw);
            QCOMPARE(written, QByteArray("1"));
        }
        // A missing file is not created by the attempt.
        QCOMPARE(QFile::exists(root + "/intel_backlight/brightness"), brightnessFile);
    }
};

QTEST_GUILESS_MAIN(TestSysfsBacklight)
#include "test_sysfs_backlight.moc"
