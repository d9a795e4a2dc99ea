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

        const QList<int> sevenSteps{0, 14, 29, 43, 57, 71, 86, 100};
        const QList<int> percent = range(0, 100);
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
            << range(0, 100, 10) << QString();
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
        QTest::newRow("logind refuses: written directly, clamped below")
            << "failing" << true << QByteArray("255") << -5 << QByteArray("0") << QString() << true;
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
