#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// A device that delivers video. One the user may not open is listed all the same, so that the
// program can say why it cannot use it.
struct CaptureDevice
{
    QString path; // what the camera engine and the camera settings open
    QString name;
    bool readable = true;
};

// The cameras that can be chosen, in the order of their indexes: an index is what the user
// chooses and the settings keep, and every part of the program turns it into a device here.
class CameraCatalog
{
public:
    virtual ~CameraCatalog() = default;
    virtual QList<CaptureDevice> captureDevices() const = 0;

    QStringList cameraDescriptions() const;
    // The device of an index; empty where the list has none.
    QString devicePath(int index) const;
};

// The system's capture devices: V4L2 on Linux.
std::unique_ptr<CameraCatalog> createCameraCatalog();
