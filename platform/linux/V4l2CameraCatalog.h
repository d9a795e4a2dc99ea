#pragma once

#include "platform/CameraCatalog.h"

#include <functional>

// The /dev/videoN nodes that capture video, in the order of N. A USB camera adds a metadata node
// beside its capture node; such nodes, and anything else that delivers no video, are left out,
// so that the second camera is the second entry whatever nodes lie between.
// A node the user may not open cannot be asked what it is: the kernel's attributes under
// /sys/class/video4linux say its name, and whether it is a device's first node (index 0, where
// cameras put their capture node).
class V4l2CameraCatalog : public CameraCatalog
{
public:
    // What opening a node and asking its capabilities told.
    struct Probe
    {
        enum class Kind
        {
            Capture,
            NoVideo,    // a metadata node, a radio, an output
            Unreadable, // no permission
            Gone,
        };
        Kind kind = Kind::Gone;
        QString name;
    };
    using Prober = std::function<Probe(const QString& path)>;

    // Tests point the folders away from the system's and hand in a prober.
    explicit V4l2CameraCatalog(QString deviceFolder = QStringLiteral("/dev"),
                               QString sysfsFolder = QStringLiteral("/sys/class/video4linux"),
                               Prober prober = probe);

    QList<CaptureDevice> captureDevices() const override;

    // Opens the node and asks the driver (VIDIOC_QUERYCAP).
    static Probe probe(const QString& path);

private:
    QString m_deviceFolder;
    QString m_sysfsFolder;
    Prober m_prober;
};
