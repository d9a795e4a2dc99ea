#include "platform/linux/V4l2CameraCatalog.h"
#include "platform/linux/V4l2CameraControls.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <functional>
#include <grp.h>
#include <linux/videodev2.h>
#include <map>
#include <optional>
#include <set>
#include <unistd.h>

Q_DECLARE_METATYPE(CameraAccess::State)

namespace {

// A driver answering the control ioctls from tables, as a test sets them.
struct ScriptedDriver
{
    std::map<quint32, v4l2_queryctrl> queries;
    std::map<std::pair<quint32, quint32>, QByteArray> menuNames;
    std::map<std::pair<quint32, quint32>, qint64> menuNumbers; // integer menus
    std::map<quint32, qint32> values;
    std::set<quint32> unreadable;
    bool enumerates = true;
    // Garbage: every enumeration step answers with this id, or with one more than asked.
    std::optional<quint32> stuckAt;
    bool endless = false;
    // Whether a control may be set now, given the others; refused with EACCES otherwise.
    std::function<bool(const ScriptedDriver&, quint32)> settable;
    // Flags that follow the other values (an automatic mode making its manual setting inactive).
    std::function<void(ScriptedDriver&)> follow;
    QVector<QPair<quint32, qint32>> sets;

    v4l2_queryctrl& add(quint32 id, const char* name, quint32 type, qint32 minimum, qint32 maximum,
                        qint32 defaultValue, qint32 value)
    {
        v4l2_queryctrl query = {};
        query.id = id;
        query.type = type;
        std::memcpy(query.name, name, std::min(std::strlen(name), sizeof query.name));
        query.minimum = minimum;
        query.maximum = maximum;
        query.step = 1;
        query.default_value = defaultValue;
        values[id] = value;
        return queries[id] = query;
    }

    int operator()(unsigned long request, void* argument)
    {
        if (request == VIDIOC_QUERYCTRL) {
            auto* query = static_cast<v4l2_queryctrl*>(argument);
            const quint32 asked = query->id & ~(V4L2_CTRL_FLAG_NEXT_CTRL);
            if ((query->id & V4L2_CTRL_FLAG_NEXT_CTRL) == 0) {
                const auto found = queries.find(asked);
                if (found == queries.end()) {
                    return EINVAL;
                }
                *query = found->second;
                return 0;
            }
            if (!enumerates) {
                return EINVAL;
            }
            if (stuckAt || endless) {
                *query = queries.begin()->second;
                query->id = stuckAt ? *stuckAt : asked + 1;
                return 0;
            }
            const auto next = queries.upper_bound(asked);
            if (next == queries.end()) {
                return EINVAL;
            }
            *query = next->second;
            return 0;
        }
        if (request == VIDIOC_QUERYMENU) {
            auto* item = static_cast<v4l2_querymenu*>(argument);
            const quint32 id = item->id; // the struct is packed
            const quint32 index = item->index;
            const std::pair<quint32, quint32> key(id, index);
            if (const auto name = menuNames.find(key); name != menuNames.end()) {
                std::memcpy(item->name, name->second.constData(),
                            std::min<std::size_t>(name->second.size(), sizeof item->name));
                return 0;
            }
            if (const auto number = menuNumbers.find(key); number != menuNumbers.end()) {
                item->value = number->second;
                return 0;
            }
            return EINVAL;
        }
        if (request == VIDIOC_G_CTRL) {
            auto* control = static_cast<v4l2_control*>(argument);
            if (unreadable.count(control->id) != 0) {
                return EIO;
            }
            control->value = values[control->id];
            return 0;
        }
        if (request == VIDIOC_S_CTRL) {
            auto* control = static_cast<v4l2_control*>(argument);
            sets.append({control->id, control->value});
            if (queries.count(control->id) == 0) {
                return EINVAL;
            }
            if (settable && !settable(*this, control->id)) {
                return EACCES;
            }
            values[control->id] = control->value;
            if (follow) {
                follow(*this);
            }
            return 0;
        }
        return ENOTTY;
    }
};

const CameraControl* find(const QVector<CameraControl>& controls, quint32 id)
{
    for (const CameraControl& control : controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

} // namespace

// The V4L2 controls against scripted drivers and against device folders that hold no camera:
// nothing here needs one, and a camera plugged into the machine is never touched.
class TestV4l2CameraControls : public QObject
{
    Q_OBJECT

private:
    static void expectWarning(const char* pattern)
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QLatin1String(pattern)));
    }

    // Every operation fails cleanly, with no controls, for a camera that cannot be opened.
    static void expectNothingToAdjust(V4l2CameraControls& camera, const char* logPattern)
    {
        expectWarning(logPattern);
        QVERIFY(camera.controls().isEmpty());
        expectWarning(logPattern);
        QVERIFY(!camera.setValue(0x00980900, 10));
        expectWarning(logPattern);
        QVERIFY(!camera.resetToDefaults());
    }

private slots:
    void errnoMapsToWhatTheUserIsTold_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<CameraAccess::State>("state");
        QTest::newRow("ENOENT") << ENOENT << CameraAccess::State::NoDevice;
        QTest::newRow("ENODEV") << ENODEV << CameraAccess::State::NoDevice;
        QTest::newRow("ENXIO") << ENXIO << CameraAccess::State::NoDevice;
        QTest::newRow("ENOTDIR") << ENOTDIR << CameraAccess::State::NoDevice;
        QTest::newRow("EACCES") << EACCES << CameraAccess::State::PermissionDenied;
        QTest::newRow("EPERM") << EPERM << CameraAccess::State::PermissionDenied;
        QTest::newRow("EBUSY") << EBUSY << CameraAccess::State::Busy;
        QTest::newRow("EISDIR") << EISDIR << CameraAccess::State::NotACamera;
        QTest::newRow("ENOTTY") << ENOTTY << CameraAccess::State::NotACamera;
        QTest::newRow("EIO") << EIO << CameraAccess::State::Failed;
        QTest::newRow("EMFILE") << EMFILE << CameraAccess::State::Failed;
    }

    void errnoMapsToWhatTheUserIsTold()
    {
        QFETCH(int, error);
        QFETCH(CameraAccess::State, state);
        QCOMPARE(V4l2CameraControls::stateForError(error), state);
    }

    void controlsAreListedAsTheDriverDescribesThem()
    {
        ScriptedDriver driver;
        driver.add(V4L2_CID_USER_CLASS, "User Controls", V4L2_CTRL_TYPE_CTRL_CLASS, 0, 0, 0, 0);
        driver.add(V4L2_CID_BRIGHTNESS, "Brightness", V4L2_CTRL_TYPE_INTEGER, -64, 64, 0, 12);
        driver.add(V4L2_CID_CONTRAST, "Contrast", V4L2_CTRL_TYPE_INTEGER, 0, 95, 32, 40).flags =
            V4L2_CTRL_FLAG_DISABLED;
        driver.add(V4L2_CID_AUTO_WHITE_BALANCE, "White Balance, Automatic", V4L2_CTRL_TYPE_BOOLEAN,
                   0, 1, 1, 1);
        driver.add(V4L2_CID_GAIN, "Gain", V4L2_CTRL_TYPE_INTEGER, 0, 100, 0, 7).flags =
            V4L2_CTRL_FLAG_READ_ONLY;
        driver.add(V4L2_CID_POWER_LINE_FREQUENCY, "Power Line Frequency", V4L2_CTRL_TYPE_MENU, 0, 3,
                   2, 1);
        driver.menuNames[{V4L2_CID_POWER_LINE_FREQUENCY, 0}] = "Disabled";
        driver.menuNames[{V4L2_CID_POWER_LINE_FREQUENCY, 1}] = "50 Hz";
        driver.menuNames[{V4L2_CID_POWER_LINE_FREQUENCY, 3}] = "Auto"; // 2 is left out
        auto& temperature =
            driver.add(V4L2_CID_WHITE_BALANCE_TEMPERATURE, "White Balance Temperature",
                       V4L2_CTRL_TYPE_INTEGER, 2800, 6500, 4600, 4000);
        temperature.step = 10;
        temperature.flags = V4L2_CTRL_FLAG_INACTIVE;
        // A name filling all 32 bytes, with no NUL after it.
        driver.add(V4L2_CID_SHARPNESS, "Sharpness Sharpness Sharpness Sh", V4L2_CTRL_TYPE_INTEGER,
                   0, 7, 3, 3);
        driver.add(V4L2_CID_PAN_RESET, "Pan, Reset", V4L2_CTRL_TYPE_BUTTON, 0, 0, 0, 0).flags =
            V4L2_CTRL_FLAG_WRITE_ONLY;
        driver.add(V4L2_CID_ZOOM_ABSOLUTE, "Zoom, Absolute", V4L2_CTRL_TYPE_INTEGER64, 0, 10, 0, 0);
        driver.add(V4L2_CID_FOCUS_ABSOLUTE, "Focus, Absolute", V4L2_CTRL_TYPE_INTEGER, 10, 5, 5, 5);
        driver.add(V4L2_CID_ISO_SENSITIVITY, "ISO Sensitivity", V4L2_CTRL_TYPE_INTEGER_MENU, 0, 1,
                   0, 1);
        driver.menuNumbers[{V4L2_CID_ISO_SENSITIVITY, 0}] = 100;
        driver.menuNumbers[{V4L2_CID_ISO_SENSITIVITY, 1}] = 200;
        driver.add(V4L2_CID_SCENE_MODE, "Scene Mode", V4L2_CTRL_TYPE_MENU, 0, 2, 0, 0);
        driver.add(V4L2_CID_EXPOSURE_ABSOLUTE, "Exposure Time, Absolute", V4L2_CTRL_TYPE_INTEGER, 3,
                   2047, 250, 0);
        driver.unreadable.insert(V4L2_CID_EXPOSURE_ABSOLUTE);

        expectWarning("Focus, Absolute the empty range 10 .. 5");
        expectWarning("Scene Mode no menu items");
        expectWarning("cannot read Exposure Time, Absolute .* showing its default");
        const QVector<CameraControl> controls =
            V4l2CameraControls::readControls(std::ref(driver), "/dev/video7");
        QStringList names;
        for (const CameraControl& control : controls) {
            names << control.name;
        }
        QCOMPARE(names, QStringList({"Brightness", "White Balance, Automatic", "Gain",
                                     "Power Line Frequency", "White Balance Temperature",
                                     "Sharpness Sharpness Sharpness Sh", "Exposure Time, Absolute",
                                     "Pan, Reset", "ISO Sensitivity"}));

        const CameraControl* brightness = find(controls, V4L2_CID_BRIGHTNESS);
        QCOMPARE(brightness->type, CameraControl::Type::Integer);
        QCOMPARE(brightness->minimum, -64);
        QCOMPARE(brightness->maximum, 64);
        QCOMPARE(brightness->value, 12);
        QVERIFY(!brightness->readOnly && !brightness->inactive);
        QCOMPARE(find(controls, V4L2_CID_AUTO_WHITE_BALANCE)->type, CameraControl::Type::Boolean);
        QVERIFY(find(controls, V4L2_CID_GAIN)->readOnly);
        const CameraControl* powerLine = find(controls, V4L2_CID_POWER_LINE_FREQUENCY);
        QCOMPARE(powerLine->type, CameraControl::Type::Menu);
        QCOMPARE(powerLine->menuItems.size(), 3);
        QCOMPARE(powerLine->menuItems[2].value, 3);
        QCOMPARE(powerLine->menuItems[2].name, QStringLiteral("Auto"));
        QCOMPARE(powerLine->value, 1);
        const CameraControl* white = find(controls, V4L2_CID_WHITE_BALANCE_TEMPERATURE);
        QCOMPARE(white->step, 10);
        QCOMPARE(white->defaultValue, 4600);
        QVERIFY(white->inactive);
        const CameraControl* iso = find(controls, V4L2_CID_ISO_SENSITIVITY);
        QCOMPARE(iso->menuItems[1].name, QStringLiteral("200"));
        QCOMPARE(find(controls, V4L2_CID_PAN_RESET)->type, CameraControl::Type::Button);
        QCOMPARE(find(controls, V4L2_CID_EXPOSURE_ABSOLUTE)->value, 250);
        // Buttons and write-only controls are never read.
        QVERIFY(driver.sets.isEmpty());
    }

    void driversWithoutEnumerationAreAskedControlByControl()
    {
        ScriptedDriver driver;
        driver.enumerates = false;
        driver.add(V4L2_CID_BRIGHTNESS, "Brightness", V4L2_CTRL_TYPE_INTEGER, 0, 255, 128, 128);
        driver.add(V4L2_CID_HUE, "Hue", V4L2_CTRL_TYPE_INTEGER, -180, 180, 0, 0);
        driver.add(V4L2_CID_PRIVATE_BASE, "Private One", V4L2_CTRL_TYPE_BOOLEAN, 0, 1, 0, 1);
        driver.add(V4L2_CID_PRIVATE_BASE + 1, "Private Two", V4L2_CTRL_TYPE_INTEGER, 0, 9, 0, 4);
        driver.add(V4L2_CID_PRIVATE_BASE + 3, "After A Gap", V4L2_CTRL_TYPE_INTEGER, 0, 9, 0, 4);
        const QVector<CameraControl> controls =
            V4l2CameraControls::readControls(std::ref(driver), "/dev/video0");
        QCOMPARE(controls.size(), 4);
        QCOMPARE(controls[1].name, QStringLiteral("Hue"));
        QCOMPARE(controls[3].name, QStringLiteral("Private Two"));
        QCOMPARE(controls[3].value, 4);
    }

    void aDriverAnsweringGarbageEndsTheList()
    {
        ScriptedDriver stuck;
        stuck.add(V4L2_CID_BRIGHTNESS, "Brightness", V4L2_CTRL_TYPE_INTEGER, 0, 255, 128, 128);
        stuck.stuckAt = V4L2_CID_BRIGHTNESS;
        expectWarning("lists control 0x980900 after 0x980900 - list cut there");
        QCOMPARE(V4l2CameraControls::readControls(std::ref(stuck), "/dev/video0").size(), 1);

        ScriptedDriver endless;
        endless.add(V4L2_CID_BRIGHTNESS, "Brightness", V4L2_CTRL_TYPE_INTEGER, 0, 255, 128, 128);
        endless.endless = true;
        expectWarning("lists more than 1024 controls - the rest left out");
        QCOMPARE(V4l2CameraControls::readControls(std::ref(endless), "/dev/video0").size(), 1024);

        // A driver with no controls at all.
        const auto none = [](unsigned long, void*) { return ENOTTY; };
        QVERIFY(V4l2CameraControls::readControls(none, "/dev/video1").isEmpty());
    }

    void refusedValuesAreReported()
    {
        ScriptedDriver driver;
        driver.add(V4L2_CID_BRIGHTNESS, "Brightness", V4L2_CTRL_TYPE_INTEGER, 0, 255, 128, 128);
        QVERIFY(V4l2CameraControls::setControl(std::ref(driver), "/dev/video0", V4L2_CID_BRIGHTNESS,
                                               99));
        QCOMPARE(driver.values[V4L2_CID_BRIGHTNESS], 99);
        // A control the driver no longer lists.
        expectWarning("/dev/video0 refuses control 0x980901 = 5 - ");
        QVERIFY(
            !V4l2CameraControls::setControl(std::ref(driver), "/dev/video0", V4L2_CID_CONTRAST, 5));
    }

    void resetReachesSettingsLockedByTheirAutomaticMode()
    {
        // A manual setting listed before the automatic mode that locks it: the driver refuses
        // it until the mode's default (manual) is back.
        const quint32 manual = V4L2_CID_EXPOSURE_ABSOLUTE;
        const quint32 mode = V4L2_CID_EXPOSURE_ABSOLUTE + 1;
        ScriptedDriver driver;
        driver.add(manual, "Exposure Time, Absolute", V4L2_CTRL_TYPE_INTEGER, 3, 2047, 250, 900);
        driver.add(mode, "Exposure, Automatic", V4L2_CTRL_TYPE_BOOLEAN, 0, 1, 0, 1);
        driver.add(V4L2_CID_GAIN, "Gain", V4L2_CTRL_TYPE_INTEGER, 0, 100, 0, 7).flags =
            V4L2_CTRL_FLAG_READ_ONLY;
        driver.settable = [&](const ScriptedDriver& self, quint32 id) {
            return id != manual || self.values.at(mode) == 0;
        };
        driver.follow = [&](ScriptedDriver& self) {
            self.queries[manual].flags = self.values[mode] != 0 ? V4L2_CTRL_FLAG_INACTIVE : 0;
        };
        driver.follow(driver);

        QVERIFY(V4l2CameraControls::resetControls(std::ref(driver), "/dev/video0"));
        QCOMPARE(driver.values[mode], 0);
        QCOMPARE(driver.values[manual], 250);
        QCOMPARE(driver.values[V4L2_CID_GAIN], 7); // read-only stays

        // A control that refuses its own default makes the reset incomplete, and says so.
        driver.values[manual] = 900;
        driver.settable = [&](const ScriptedDriver&, quint32 id) { return id != manual; };
        expectWarning("refuses control 0x9a0902 = 250");
        QVERIFY(!V4l2CameraControls::resetControls(std::ref(driver), "/dev/video0"));
    }

    void missingDeviceIsNotConnected()
    {
        QTemporaryDir dir;
        V4l2CameraControls camera(3, dir.filePath("video3"));
        QCOMPARE(camera.cameraIndex(), 3);
        QCOMPARE(camera.devicePath(), dir.filePath("video3"));
        expectWarning("cannot open .*/video3");
        const CameraAccess access = camera.access();
        QCOMPARE(access.state, CameraAccess::State::NoDevice);
        QCOMPARE(access.devicePath, dir.filePath("video3"));
        QVERIFY(!access.message.isEmpty());
        QVERIFY(access.deviceGroup.isEmpty());
        expectNothingToAdjust(camera, "cannot open .*/video3");

        // A folder that is not there at all says the same.
        V4l2CameraControls nowhere(0, dir.filePath("gone"));
        expectWarning("cannot open");
        QCOMPARE(nowhere.access().state, CameraAccess::State::NoDevice);
    }

    void noCameraChosenIsNotConnected()
    {
        QTemporaryDir dir;
        V4l2CameraControls camera(-1, QString());
        QCOMPARE(camera.access().state, CameraAccess::State::NoDevice);
        QVERIFY(camera.controls().isEmpty());
    }

    void somethingElseAtThePathIsNotACamera()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("video0"));
        QFile file(dir.filePath("video1"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a camera");
        file.close();
        // A character device that is not a video device answers the capability query with
        // ENOTTY.
        QVERIFY(QFile::link("/dev/null", dir.filePath("video2")));

        for (int index : {0, 1, 2}) {
            V4l2CameraControls camera(index, dir.filePath(QStringLiteral("video%1").arg(index)));
            expectWarning("video[0-2]");
            const CameraAccess access = camera.access();
            QCOMPARE(access.state, CameraAccess::State::NotACamera);
            QVERIFY(access.cameraName.isEmpty());
            expectNothingToAdjust(camera, "video[0-2]");
        }
        // Nothing was written into the file.
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("not a camera"));
    }

    void unreadableDeviceNamesItsGroup()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("video0"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const group* own = ::getgrgid(::getegid());
        const QString ownGroup =
            own ? QString::fromLocal8Bit(own->gr_name) : QString::number(::getegid());
        QCOMPARE(V4l2CameraControls::groupOf(file.fileName()), ownGroup);
        QVERIFY(V4l2CameraControls::groupOf(dir.filePath("missing")).isEmpty());

        if (::geteuid() == 0) {
            QSKIP("root opens any file: permission denied is covered by the errno mapping");
        }
        QVERIFY(file.setPermissions(QFileDevice::Permissions()));
        V4l2CameraControls camera(0, dir.filePath("video0"));
        expectWarning("cannot open .*video0.*group");
        const CameraAccess access = camera.access();
        QCOMPARE(access.state, CameraAccess::State::PermissionDenied);
        QCOMPARE(access.deviceGroup, ownGroup);
    }

    void factoryFallsBackToTheNodeOfThatNumber()
    {
        // No camera at that place in the list (none here): the node of the number, reported as
        // not there.
        const auto controls = createCameraControls(7);
        auto* v4l2 = dynamic_cast<V4l2CameraControls*>(controls.get());
        QVERIFY(v4l2 != nullptr);
        QCOMPARE(v4l2->cameraIndex(), 7);
        QCOMPARE(v4l2->devicePath(), QStringLiteral("/dev/video7"));
    }

    void catalogueListsCaptureNodesOnly()
    {
        // A laptop camera (video0, its metadata node video1), a USB camera (video2, video3) the
        // user may not open, a capture card's node, and a radio.
        QTemporaryDir dev;
        QTemporaryDir sys;
        for (int n : {0, 1, 2, 3, 10, 11}) {
            QFile(dev.filePath(QStringLiteral("video%1").arg(n))).open(QIODevice::WriteOnly);
            QDir().mkpath(sys.filePath(QStringLiteral("video%1").arg(n)));
            QFile index(sys.filePath(QStringLiteral("video%1/index").arg(n)));
            QVERIFY(index.open(QIODevice::WriteOnly));
            index.write(n % 2 ? "1\n" : "0\n");
            QFile name(sys.filePath(QStringLiteral("video%1/name").arg(n)));
            QVERIFY(name.open(QIODevice::WriteOnly));
            name.write("USB Camera\n");
        }
        QFile(dev.filePath("videoX")).open(QIODevice::WriteOnly);
        using Kind = V4l2CameraCatalog::Probe::Kind;
        const auto prober = [](const QString& path) -> V4l2CameraCatalog::Probe {
            const QString node = path.section(QLatin1Char('/'), -1);
            if (node == "video0") {
                return {Kind::Capture, "Integrated Camera"};
            }
            if (node == "video2" || node == "video3") {
                return {Kind::Unreadable, QString()};
            }
            if (node == "video10") {
                return {Kind::Capture, QString()};
            }
            return {Kind::NoVideo, "metadata"};
        };
        const V4l2CameraCatalog catalogue(dev.path(), sys.path(), prober);
        const QList<CaptureDevice> devices = catalogue.captureDevices();
        QStringList seen;
        for (const CaptureDevice& device : devices) {
            seen << QStringLiteral("%1 %2 %3")
                        .arg(device.path.section(QLatin1Char('/'), -1), device.name)
                        .arg(device.readable ? "readable" : "unreadable");
        }
        QCOMPARE(seen,
                 (QStringList{"video0 Integrated Camera readable", "video2 USB Camera unreadable",
                              "video10 USB Camera readable"}));
        // The second camera is the USB camera, not the laptop camera's metadata node.
        QCOMPARE(catalogue.devicePath(1), dev.filePath("video2"));
        QCOMPARE(catalogue.devicePath(5), QString());
        // Without devices the real probe finds nothing to open.
        QCOMPARE(V4l2CameraCatalog::probe(dev.filePath("video0")).kind, Kind::NoVideo);
        QCOMPARE(V4l2CameraCatalog::probe(dev.filePath("none")).kind, Kind::Gone);
    }
};

QTEST_GUILESS_MAIN(TestV4l2CameraControls)
#include "test_v4l2_camera_controls.moc"
