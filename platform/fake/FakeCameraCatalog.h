#pragma once

#include "platform/CameraCatalog.h"

// The cameras a test plugs in, by name; each is /dev/videoN by its place in the list, unless
// the test gives the devices in full.
class FakeCameraCatalog : public CameraCatalog
{
public:
    QStringList cameras;
    QList<CaptureDevice> devices;

    QList<CaptureDevice> captureDevices() const override
    {
        if (!devices.isEmpty()) {
            return devices;
        }
        QList<CaptureDevice> named;
        for (int i = 0; i < cameras.size(); ++i) {
            named.append({QStringLiteral("/dev/video%1").arg(i), cameras.at(i), true});
        }
        return named;
    }
};
