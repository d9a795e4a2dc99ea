#pragma once

#include "platform/CameraControls.h"

// The controls of /dev/videoN through the V4L2 control ioctls, the same node OpenCV's V4L2 back
// end opens for camera index N. Each call opens the node on its own descriptor, which V4L2
// allows while another program streams from it.
class V4l2CameraControls : public CameraControls
{
public:
    // The folder holding the videoN nodes; tests point it away from /dev.
    explicit V4l2CameraControls(int cameraIndex, QString deviceFolder = QStringLiteral("/dev"));

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

private:
    class Device;
    // An open device, or a closed one with access saying why.
    Device open(CameraAccess& access) const;
    QVector<CameraControl> readControls(int fd) const;

    int m_cameraIndex;
    QString m_deviceFolder;
};
