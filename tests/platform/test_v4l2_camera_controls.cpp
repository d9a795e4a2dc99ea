#include "platform/linux/V4l2CameraControls.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <grp.h>
#include <unistd.h>

Q_DECLARE_METATYPE(CameraAccess::State)

// The V4L2 controls against device folders that hold no camera: nothing here needs one, and a
// camera plugged into the machine is never touched.
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

    void missingDeviceIsNotConnected()
    {
        QTemporaryDir dir;
        V4l2CameraControls camera(3, dir.path());
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
        V4l2CameraControls camera(-1, dir.path());
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
            V4l2CameraControls camera(index, dir.path());
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
        V4l2CameraControls camera(0, dir.path());
        expectWarning("cannot open .*video0.*group");
        const CameraAccess access = camera.access();
        QCOMPARE(access.state, CameraAccess::State::PermissionDenied);
        QCOMPARE(access.deviceGroup, ownGroup);
    }

    void factoryUsesTheEngineNumbering()
    {
        const auto controls = createCameraControls(2);
        auto* v4l2 = dynamic_cast<V4l2CameraControls*>(controls.get());
        QVERIFY(v4l2 != nullptr);
        QCOMPARE(v4l2->cameraIndex(), 2);
        QCOMPARE(v4l2->devicePath(), QStringLiteral("/dev/video2"));
    }
};

QTEST_GUILESS_MAIN(TestV4l2CameraControls)
#include "test_v4l2_camera_controls.moc"
