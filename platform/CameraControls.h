#pragma once

#include <QString>
#include <QVector>
#include <memory>

// One item of a menu control. Drivers may leave gaps in the values, so each item keeps its own.
struct CameraMenuItem
{
    qint32 value = 0;
    QString name;
};

// One adjustable setting of a camera (brightness, white balance...), as its driver describes it.
struct CameraControl
{
    enum class Type
    {
        Integer,
        Boolean,
        Menu,
        Button, // an action; it has no value to read
    };

    quint32 id = 0;
    QString name;
    Type type = Type::Integer;
    qint32 minimum = 0;
    qint32 maximum = 0;
    qint32 step = 1;
    qint32 defaultValue = 0;
    qint32 value = 0;
    QVector<CameraMenuItem> menuItems; // for menus only
    bool readOnly = false;
    // Ignored by the driver for now, typically a manual setting while its automatic mode is on.
    bool inactive = false;
};

// Whether the camera's device can be opened, and if not, why.
struct CameraAccess
{
    enum class State
    {
        Granted,
        NoDevice,         // nothing at the device path: the camera is not connected
        PermissionDenied, // the device exists but the user may not open it
        Busy,             // another program holds the device exclusively
        NotACamera,       // something is there, but it does not answer as a video device
        Failed,           // any other error; message says which
    };

    State state = State::NoDevice;
    QString devicePath;  // /dev/videoN
    QString cameraName;  // the driver's name for the camera, when it could be opened
    QString deviceGroup; // the group owning the device, to name in a permission hint
    QString message;     // the system's error text, for the log and the unexpected cases
};

// The adjustable controls of one camera, chosen by the same index the camera engine opens it with
// (the camera list turns it into the device). Each call opens the device anew, so
// nothing goes stale while the camera is unplugged or used by the engine.
class CameraControls
{
public:
    virtual ~CameraControls() = default;
    virtual int cameraIndex() const = 0;
    virtual CameraAccess access() = 0;
    // Every control the user may see, in the driver's order; empty when the camera cannot be
    // opened (access() says why).
    virtual QVector<CameraControl> controls() = 0;
    // False (and logged) when the driver refuses the value or the camera is gone. Drivers may
    // round the value: read the controls again to learn what was applied.
    virtual bool setValue(quint32 controlId, qint32 value) = 0;
    // Every writable control back to its driver default; false when one could not be set.
    virtual bool resetToDefaults() = 0;
};

// The system's camera controls: V4L2 on Linux.
std::unique_ptr<CameraControls> createCameraControls(int cameraIndex);
