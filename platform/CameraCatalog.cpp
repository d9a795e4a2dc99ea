#include "platform/CameraCatalog.h"

QStringList CameraCatalog::cameraDescriptions() const
{
    QStringList names;
    for (const CaptureDevice& device : captureDevices()) {
        names << device.name;
    }
    return names;
}

QString CameraCatalog::devicePath(int index) const
{
    return captureDevices().value(index).path;
}
