#pragma once

#include "platform/CameraControls.h"

#include <functional>

// A camera whose controls and access a test sets, recording what the caller changes.
class FakeCameraControls : public CameraControls
{
public:
    struct SetCall
    {
        quint32 id;
        qint32 value;
    };

    FakeCameraControls()
    {
        accessState.state = CameraAccess::State::Granted;
        accessState.devicePath = QStringLiteral("/dev/video0");
        accessState.cameraName = QStringLiteral("Fake Camera");
    }

    int index = 0;
    CameraAccess accessState;
    QVector<CameraControl> list;
    QVector<SetCall> setCalls;
    int resetCount = 0;
    bool refuseSets = false;
    // Runs after each accepted set, for controls that depend on others (automatic modes).
    std::function<void(FakeCameraControls&, quint32 id, qint32 value)> afterSet;

    CameraControl* find(quint32 id)
    {
        for (CameraControl& control : list) {
            if (control.id == id) {
                return &control;
            }
        }
        return nullptr;
    }

    // The controls of a common USB webcam as the Linux driver lists them (V4L2 ids), with its
    // automatic white balance and exposure switching the manual settings off.
    void plugTypicalWebcam()
    {
        accessState.cameraName = QStringLiteral("HD Webcam C525");
        const auto integer = [](quint32 id, const char* name, qint32 minimum, qint32 maximum,
                                qint32 step, qint32 defaultValue) {
            CameraControl control;
            control.id = id;
            control.name = QLatin1String(name);
            control.minimum = minimum;
            control.maximum = maximum;
            control.step = step;
            control.defaultValue = defaultValue;
            control.value = defaultValue;
            return control;
        };
        CameraControl whiteBalanceAutomatic =
            integer(kWhiteBalanceAutomatic, "White Balance, Automatic", 0, 1, 1, 1);
        whiteBalanceAutomatic.type = CameraControl::Type::Boolean;
        CameraControl powerLine = integer(kPowerLineFrequency, "Power Line Frequency", 0, 2, 1, 2);
        powerLine.type = CameraControl::Type::Menu;
        powerLine.menuItems = {{0, QStringLiteral("Disabled")},
                               {1, QStringLiteral("50 Hz")},
                               {2, QStringLiteral("60 Hz")}};
        CameraControl exposureAuto = integer(kAutoExposure, "Auto Exposure", 0, 3, 1, 3);
        exposureAuto.type = CameraControl::Type::Menu;
        exposureAuto.menuItems = {{1, QStringLiteral("Manual Mode")},
                                  {3, QStringLiteral("Aperture Priority Mode")}};
        list = {
            integer(kBrightness, "Brightness", 0, 255, 1, 128),
            integer(kContrast, "Contrast", 0, 255, 1, 32),
            integer(kSaturation, "Saturation", 0, 255, 1, 32),
            whiteBalanceAutomatic,
            powerLine,
            integer(kWhiteBalanceTemperature, "White Balance Temperature", 2800, 6500, 10, 4000),
            exposureAuto,
            integer(kExposureAbsolute, "Exposure Time, Absolute", 3, 2047, 1, 250)};
        afterSet = [](FakeCameraControls& camera, quint32, qint32) {
            const auto follow = [&](quint32 manual, quint32 mode, qint32 manualValue) {
                CameraControl* dependent = camera.find(manual);
                const CameraControl* automatic = camera.find(mode);
                if (dependent != nullptr && automatic != nullptr) {
                    dependent->inactive = automatic->value != manualValue;
                }
            };
            follow(kWhiteBalanceTemperature, kWhiteBalanceAutomatic, 0);
            follow(kExposureAbsolute, kAutoExposure, 1);
        };
        afterSet(*this, 0, 0);
    }

    static constexpr quint32 kBrightness = 0x00980900;
    static constexpr quint32 kContrast = 0x00980901;
    static constexpr quint32 kSaturation = 0x00980902;
    static constexpr quint32 kWhiteBalanceAutomatic = 0x0098090c;
    static constexpr quint32 kPowerLineFrequency = 0x00980918;
    static constexpr quint32 kWhiteBalanceTemperature = 0x0098091a;
    static constexpr quint32 kAutoExposure = 0x009a0901;
    static constexpr quint32 kExposureAbsolute = 0x009a0902;

    int cameraIndex() const override { return index; }
    CameraAccess access() override { return accessState; }
    QVector<CameraControl> controls() override
    {
        return accessState.state == CameraAccess::State::Granted ? list : QVector<CameraControl>();
    }

    bool setValue(quint32 controlId, qint32 value) override
    {
        setCalls.append({controlId, value});
        CameraControl* control = find(controlId);
        if (refuseSets || control == nullptr || control->readOnly ||
            accessState.state != CameraAccess::State::Granted) {
            return false;
        }
        if (control->type != CameraControl::Type::Button) {
            control->value = qBound(control->minimum, value, control->maximum);
        }
        if (afterSet) {
            afterSet(*this, controlId, value);
        }
        return true;
    }

    bool resetToDefaults() override
    {
        ++resetCount;
        if (accessState.state != CameraAccess::State::Granted) {
            return false;
        }
        for (CameraControl& control : list) {
            if (!control.readOnly && control.type != CameraControl::Type::Button) {
                control.value = control.defaultValue;
            }
        }
        if (afterSet) {
            const QVector<CameraControl> reset = list;
            for (const CameraControl& control : reset) {
                afterSet(*this, control.id, control.value);
            }
        }
        return true;
    }
};
