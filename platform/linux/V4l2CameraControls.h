#pragma once

#include "platform/CameraControls.h"

#include <functional>

// The controls of a camera's capture node through the V4L2 control ioctls, the node the camera
// list gives for its index and the camera engine opens. Each call opens the node on its own
// descriptor, which V4L2 allows while another program streams from it.
class V4l2CameraControls : public CameraControls
{
public:
    V4l2CameraControls(int cameraIndex, QString devicePath);

    int cameraIndex() const override { return m_cameraIndex; }
    CameraAccess access() override;
    QVector<CameraControl> controls() override;
    bool setValue(quint32 controlId, qint32 value) override;
    bool resetToDefaults() override;

    QString devicePath() const;
    // What an errno of opening the device means to the user.
    static CameraAccess::State stateForError(int error);
    // The name of the group owning a file, its number where it has no name, empty when the file
    // cannot be read.
    static QString groupOf(const QString& path);

    // One ioctl on the open device: 0, or the errno it failed with. A test stands in for a
    // driver through it.
    using Ioctl = std::function<int(unsigned long request, void* argument)>;
    // The controls the driver lists, in its order, without disabled ones, class headings and
    // kinds the user is not shown; a driver answering garbage ends the list with a log line.
    static QVector<CameraControl> readControls(const Ioctl& ioctl, const QString& device);
    static bool setControl(const Ioctl& ioctl, const QString& device, quint32 id, qint32 value);
    static bool resetControls(const Ioctl& ioctl, const QString& device);

private:
    class Device;
    // An open device, or a closed one with access saying why.
    Device open(CameraAccess& access) const;
    static Ioctl ioctlOn(int fd);

    int m_cameraIndex;
    QString m_devicePath;
};
