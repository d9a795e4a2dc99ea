#include "gui/CameraSettingsDialog.h"
#include "platform/fake/FakeCameraControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

// The camera settings dialog against a fake camera.
class TestCameraSettingsDialog : public QObject
{
    Q_OBJECT

private:
    using Fake = FakeCameraControls;

    template <typename T> static T* editor(const CameraSettingsDialog& dialog, quint32 id)
    {
        return qobject_cast<T*>(dialog.editorFor(id));
    }
    static QString valueText(const CameraSettingsDialog& dialog, quint32 id)
    {
        const auto* label = dialog.findChild<QLabel*>(QStringLiteral("value_%1").arg(id));
        return label ? label->text() : QString();
    }
    static QPushButton* resetButton(const CameraSettingsDialog& dialog)
    {
        return dialog.findChild<QPushButton*>(QStringLiteral("pushButton_resetToDefaults"));
    }
    static QString heading(const CameraSettingsDialog& dialog)
    {
        const auto* label = dialog.findChild<QLabel*>(QStringLiteral("label_heading"));
        return label && label->isVisibleTo(&dialog) ? label->text() : QString();
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X display (test.sh starts one)");
        }
    }

    void oneRowPerControlOfEachType()
    {
        Fake camera;
        camera.plugTypicalWebcam();
        CameraControl pan;
        pan.id = 0x009a0920;
        pan.name = QStringLiteral("Pan, Reset");
        pan.type = CameraControl::Type::Button;
        CameraControl gain;
        gain.id = 0x00980913;
        gain.name = QStringLiteral("Gain");
        gain.maximum = 100;
        gain.value = 40;
        gain.readOnly = true;
        camera.list << pan << gain;
        CameraSettingsDialog dialog(camera);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QCOMPARE(dialog.windowTitle(), QStringLiteral("Camera settings"));
        QVERIFY(dialog.isModal());
        QCOMPARE(heading(dialog), QStringLiteral("HD Webcam C525"));
        QVERIFY(dialog.messageText().isEmpty());
        QVERIFY(resetButton(dialog)->isVisible());

        for (quint32 id : {Fake::kBrightness, Fake::kContrast, Fake::kSaturation,
                           Fake::kWhiteBalanceTemperature, Fake::kExposureAbsolute}) {
            QVERIFY2(editor<QSlider>(dialog, id), qPrintable(QString::number(id, 16)));
        }
        QCOMPARE(editor<QSlider>(dialog, Fake::kBrightness)->value(), 128);
        QCOMPARE(valueText(dialog, Fake::kBrightness), QStringLiteral("128"));
        // 2800..6500 in steps of 10: one slider position per step.
        auto* temperature = editor<QSlider>(dialog, Fake::kWhiteBalanceTemperature);
        QCOMPARE(temperature->maximum(), 370);
        QCOMPARE(temperature->value(), 120);
        QCOMPARE(valueText(dialog, Fake::kWhiteBalanceTemperature), QStringLiteral("4000"));
        // Manual settings are off while their automatic mode is on.
        QVERIFY(!temperature->isEnabled());
        QVERIFY(!editor<QSlider>(dialog, Fake::kExposureAbsolute)->isEnabled());
        QVERIFY(editor<QSlider>(dialog, Fake::kBrightness)->isEnabled());

        QVERIFY(editor<QCheckBox>(dialog, Fake::kWhiteBalanceAutomatic)->isChecked());
        auto* powerLine = editor<QComboBox>(dialog, Fake::kPowerLineFrequency);
        QVERIFY(powerLine);
        QCOMPARE(powerLine->count(), 3);
        QCOMPARE(powerLine->currentText(), QStringLiteral("60 Hz"));
        // A menu with a gap: values 1 and 3 only.
        auto* exposure = editor<QComboBox>(dialog, Fake::kAutoExposure);
        QCOMPARE(exposure->count(), 2);
        QCOMPARE(exposure->currentText(), QStringLiteral("Aperture Priority Mode"));
        QVERIFY(editor<QPushButton>(dialog, pan.id));
        QVERIFY(!editor<QSlider>(dialog, gain.id)->isEnabled());
        QVERIFY(camera.setCalls.isEmpty());
    }

    void eachChangeIsAppliedAtOnce()
    {
        Fake camera;
        camera.plugTypicalWebcam();
        CameraControl focus;
        focus.id = 0x009a090c;
        focus.name = QStringLiteral("Focus, Automatic Continuous");
        focus.type = CameraControl::Type::Button;
        camera.list << focus;
        CameraSettingsDialog dialog(camera);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        editor<QSlider>(dialog, Fake::kBrightness)->setValue(200);
        QCOMPARE(camera.setCalls.size(), 1);
        QCOMPARE(camera.setCalls.last().id, Fake::kBrightness);
        QCOMPARE(camera.setCalls.last().value, 200);
        QCOMPARE(valueText(dialog, Fake::kBrightness), QStringLiteral("200"));

        // Turning automatic white balance off switches its temperature on.
        QTest::mouseClick(editor<QCheckBox>(dialog, Fake::kWhiteBalanceAutomatic), Qt::LeftButton);
        QCOMPARE(camera.setCalls.last().id, Fake::kWhiteBalanceAutomatic);
        QCOMPARE(camera.setCalls.last().value, 0);
        auto* temperature = editor<QSlider>(dialog, Fake::kWhiteBalanceTemperature);
        QVERIFY(temperature->isEnabled());
        temperature->setValue(200); // slider positions are steps of 10 from 2800
        QCOMPARE(camera.setCalls.last().value, 4800);

        auto* powerLine = editor<QComboBox>(dialog, Fake::kPowerLineFrequency);
        powerLine->setFocus();
        QTest::keyClick(powerLine, Qt::Key_Up);
        QCOMPARE(camera.setCalls.last().id, Fake::kPowerLineFrequency);
        QCOMPARE(camera.setCalls.last().value, 1);
        QCOMPARE(powerLine->currentText(), QStringLiteral("50 Hz"));

        auto* exposure = editor<QComboBox>(dialog, Fake::kAutoExposure);
        exposure->setFocus();
        QTest::keyClick(exposure, Qt::Key_Up);
        QCOMPARE(camera.setCalls.last().value, 1); // Manual Mode
        QVERIFY(editor<QSlider>(dialog, Fake::kExposureAbsolute)->isEnabled());

        QTest::mouseClick(editor<QPushButton>(dialog, focus.id), Qt::LeftButton);
        QCOMPARE(camera.setCalls.last().id, focus.id);
        QCOMPARE(camera.setCalls.last().value, 1);
    }

    void refusedValueIsPutBack()
    {
        Fake camera;
        camera.plugTypicalWebcam();
        CameraSettingsDialog dialog(camera);
        camera.refuseSets = true;
        auto* contrast = editor<QSlider>(dialog, Fake::kContrast);
        contrast->setValue(90);
        QCOMPARE(camera.setCalls.size(), 1);
        QCOMPARE(contrast->value(), 32);
        QCOMPARE(valueText(dialog, Fake::kContrast), QStringLiteral("32"));
    }

    void resetPutsEveryDefaultBack()
    {
        Fake camera;
        camera.plugTypicalWebcam();
        CameraSettingsDialog dialog(camera);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        editor<QSlider>(dialog, Fake::kSaturation)->setValue(10);
        QTest::mouseClick(editor<QCheckBox>(dialog, Fake::kWhiteBalanceAutomatic), Qt::LeftButton);
        QVERIFY(editor<QSlider>(dialog, Fake::kWhiteBalanceTemperature)->isEnabled());

        QTest::mouseClick(resetButton(dialog), Qt::LeftButton);
        QCOMPARE(camera.resetCount, 1);
        QCOMPARE(editor<QSlider>(dialog, Fake::kSaturation)->value(), 32);
        QVERIFY(editor<QCheckBox>(dialog, Fake::kWhiteBalanceAutomatic)->isChecked());
        QVERIFY(!editor<QSlider>(dialog, Fake::kWhiteBalanceTemperature)->isEnabled());
    }

    void aChangingControlListIsShownAsItIsNow()
    {
        Fake camera;
        camera.plugTypicalWebcam();
        CameraSettingsDialog dialog(camera);
        // A driver that drops a control once another one changes.
        camera.afterSet = [](Fake& changed, quint32, qint32) { changed.list.removeLast(); };
        editor<QSlider>(dialog, Fake::kBrightness)->setValue(20);
        QVERIFY(!dialog.editorFor(Fake::kExposureAbsolute));
        QCOMPARE(editor<QSlider>(dialog, Fake::kBrightness)->value(), 20);

        // The camera unplugged while the dialog is open.
        camera.accessState.state = CameraAccess::State::NoDevice;
        editor<QSlider>(dialog, Fake::kBrightness)->setValue(30);
        QCOMPARE(dialog.messageText(),
                 QStringLiteral("No camera settings: the camera is not connected."));
        QVERIFY(!dialog.editorFor(Fake::kBrightness));
    }

    void notConnectedIsOneLine()
    {
        Fake camera;
        camera.accessState.state = CameraAccess::State::NoDevice;
        CameraSettingsDialog dialog(camera);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.messageText(),
                 QStringLiteral("No camera settings: the camera is not connected."));
        QVERIFY(heading(dialog).isEmpty());
        QVERIFY(!resetButton(dialog)->isVisible());
        QVERIFY(camera.setCalls.isEmpty());
    }

    void permissionDeniedNamesDeviceAndGroup()
    {
        Fake camera;
        camera.accessState.state = CameraAccess::State::PermissionDenied;
        camera.accessState.devicePath = QStringLiteral("/dev/video2");
        camera.accessState.deviceGroup = QStringLiteral("video");
        CameraSettingsDialog dialog(camera);
        QCOMPARE(heading(dialog), QStringLiteral("Did you allow camera use?"));
        QVERIFY2(dialog.messageText().contains(QStringLiteral("/dev/video2")),
                 qPrintable(dialog.messageText()));
        QVERIFY2(dialog.messageText().contains(QStringLiteral("group \"video\"")),
                 qPrintable(dialog.messageText()));
        QVERIFY(!resetButton(dialog)->isVisibleTo(&dialog));
    }

    void busyAndNoSettingsSaySo()
    {
        Fake camera;
        camera.accessState.state = CameraAccess::State::Busy;
        QVERIFY(CameraSettingsDialog(camera).messageText().contains("another program"));
        camera.accessState.state = CameraAccess::State::Granted;
        QCOMPARE(CameraSettingsDialog(camera).messageText(),
                 QStringLiteral("This camera has no settings to adjust."));
    }
};

QTEST_MAIN(TestCameraSettingsDialog)
#include "test_camera_settings_dialog.moc"
