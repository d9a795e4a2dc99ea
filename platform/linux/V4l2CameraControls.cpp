#include "platform/linux/V4l2CameraControls.h"

#include "platform/CameraCatalog.h"

#include <QDebug>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/videodev2.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Bounds against a driver that answers garbage: real cameras have a few dozen controls and
// menus of a handful of items.
constexpr int kMaxControls = 1024;
constexpr qint64 kMaxMenuItems = 256;

int xioctl(int fd, unsigned long request, void* argument)
{
    int result = 0;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result == -1 && errno == EINTR);
    return result;
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The driver's fixed-size names need not end in a NUL.
template <std::size_t N> QString driverText(const __u8 (&text)[N])
{
    const auto* chars = reinterpret_cast<const char*>(text);
    return QString::fromUtf8(chars, static_cast<int>(strnlen(chars, N))).trimmed();
}

} // namespace

class V4l2CameraControls::Device
{
public:
    Device() = default;
    explicit Device(int fd) : m_fd(fd) {}
    Device(Device&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Device& operator=(Device&& other) = delete;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    int fd() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

V4l2CameraControls::V4l2CameraControls(int cameraIndex, QString devicePath)
    : m_cameraIndex(cameraIndex), m_devicePath(std::move(devicePath))
{
}

QString V4l2CameraControls::devicePath() const
{
    return m_devicePath;
}

CameraAccess::State V4l2CameraControls::stateForError(int error)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return CameraAccess::State::NoDevice;
    case EACCES:
    case EPERM:
        return CameraAccess::State::PermissionDenied;
    case EBUSY:
        return CameraAccess::State::Busy;
    case EISDIR:
    case ENOTTY:
    case EINVAL:
        return CameraAccess::State::NotACamera;
    default:
        return CameraAccess::State::Failed;
    }
}

QString V4l2CameraControls::groupOf(const QString& path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return QString();
    }
    long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct group entry = {};
    struct group* found = nullptr;
    int error = 0;
    while ((error = ::getgrgid_r(status.st_gid, &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (error != 0 || found == nullptr) {
        return QString::number(status.st_gid);
    }
    return QString::fromLocal8Bit(found->gr_name);
}

V4l2CameraControls::Device V4l2CameraControls::open(CameraAccess& access) const
{
    access = CameraAccess();
    access.devicePath = devicePath();
    if (m_cameraIndex < 0) {
        access.state = CameraAccess::State::NoDevice;
        access.message = QStringLiteral("no camera chosen");
        qDebug() << "CameraControls: no camera chosen";
        return Device();
    }
    const QByteArray path = QFile::encodeName(access.devicePath);
    Device device(::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!device) {
        const int error = errno;
        access.state = stateForError(error);
        access.message = errorText(error);
        if (access.state == CameraAccess::State::PermissionDenied) {
            access.deviceGroup = groupOf(access.devicePath);
        }
        qWarning().noquote() << "CameraControls: cannot open" << access.devicePath << "-"
                             << access.message
                             << (access.deviceGroup.isEmpty()
                                     ? QString()
                                     : QStringLiteral("(group %1)").arg(access.deviceGroup));
        return Device();
    }
    struct stat status = {};
    if (::fstat(device.fd(), &status) != 0 || !S_ISCHR(status.st_mode)) {
        access.state = CameraAccess::State::NotACamera;
        access.message = QStringLiteral("not a device node");
        qWarning().noquote() << "CameraControls:" << access.devicePath << "is not a device node";
        return Device();
    }
    v4l2_capability capability = {};
    if (xioctl(device.fd(), VIDIOC_QUERYCAP, &capability) != 0) {
        const int error = errno;
        access.state = stateForError(error);
        access.message = errorText(error);
        qWarning().noquote() << "CameraControls:" << access.devicePath
                             << "does not answer as a video device -" << access.message;
        return Device();
    }
    access.state = CameraAccess::State::Granted;
    access.cameraName = driverText(capability.card);
    return device;
}

CameraAccess V4l2CameraControls::access()
{
    CameraAccess result;
    open(result);
    return result;
}

namespace {

// The control a query describes, or nothing (and a log line) for the kinds the user is not shown.
std::optional<CameraControl> describe(const V4l2CameraControls::Ioctl& ioctl,
                                      const v4l2_queryctrl& query, const QString& device)
{
    if ((query.flags & V4L2_CTRL_FLAG_DISABLED) != 0 || query.type == V4L2_CTRL_TYPE_CTRL_CLASS) {
        return std::nullopt;
    }
    CameraControl control;
    control.id = query.id;
    control.name = driverText(query.name);
    if (control.name.isEmpty()) {
        control.name = QStringLiteral("0x%1").arg(query.id, 0, 16);
    }
    switch (query.type) {
    case V4L2_CTRL_TYPE_INTEGER:
        control.type = CameraControl::Type::Integer;
        break;
    case V4L2_CTRL_TYPE_BOOLEAN:
        control.type = CameraControl::Type::Boolean;
        break;
    case V4L2_CTRL_TYPE_MENU:
    case V4L2_CTRL_TYPE_INTEGER_MENU:
        control.type = CameraControl::Type::Menu;
        break;
    case V4L2_CTRL_TYPE_BUTTON:
        control.type = CameraControl::Type::Button;
        break;
    default:
        qDebug().noquote() << "CameraControls:" << device << "leaves out" << control.name
                           << "of type" << query.type;
        return std::nullopt;
    }
    control.minimum = query.minimum;
    control.maximum = query.maximum;
    control.step = query.step > 0 ? query.step : 1;
    control.defaultValue = query.default_value;
    control.value = query.default_value;
    // A grabbed control is held by a running stream; to the user it cannot be changed now.
    control.readOnly = (query.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_GRABBED)) != 0;
    control.inactive = (query.flags & V4L2_CTRL_FLAG_INACTIVE) != 0;
    if (control.type == CameraControl::Type::Button) {
        return control;
    }
    if (control.minimum > control.maximum) {
        qWarning().noquote() << "CameraControls:" << device << "gives" << control.name
                             << "the empty range" << control.minimum << ".." << control.maximum
                             << "- left out";
        return std::nullopt;
    }

    if (control.type == CameraControl::Type::Menu) {
        const qint64 last =
            std::min<qint64>(control.maximum, qint64(control.minimum) + kMaxMenuItems - 1);
        for (qint64 index = control.minimum; index <= last; ++index) {
            v4l2_querymenu item = {};
            item.id = query.id;
            item.index = static_cast<__u32>(index);
            if (const int error = ioctl(VIDIOC_QUERYMENU, &item); error != 0) {
                // Drivers leave out the values they do not support.
                if (error == EINVAL) {
                    continue;
                }
                qWarning().noquote() << "CameraControls:" << device << "menu of" << control.name
                                     << "-" << errorText(error);
                break;
            }
            const QString name = query.type == V4L2_CTRL_TYPE_INTEGER_MENU
                                     ? QString::number(static_cast<qint64>(item.value))
                                     : driverText(item.name);
            control.menuItems.append({static_cast<qint32>(index), name});
        }
        if (control.menuItems.isEmpty()) {
            qWarning().noquote() << "CameraControls:" << device << "gives" << control.name
                                 << "no menu items - left out";
            return std::nullopt;
        }
    }

    if ((query.flags & V4L2_CTRL_FLAG_WRITE_ONLY) == 0) {
        v4l2_control current = {};
        current.id = query.id;
        if (const int error = ioctl(VIDIOC_G_CTRL, &current); error == 0) {
            control.value = current.value;
        } else {
            qWarning().noquote() << "CameraControls:" << device << "cannot read" << control.name
                                 << "-" << errorText(error) << "- showing its default";
        }
    }
    return control;
}

bool isWritable(const CameraControl& control)
{
    return !control.readOnly && control.type != CameraControl::Type::Button;
}

} // namespace

V4l2CameraControls::Ioctl V4l2CameraControls::ioctlOn(int fd)
{
    return [fd](unsigned long request, void* argument) {
        return xioctl(fd, request, argument) == 0 ? 0 : errno;
    };
}

QVector<CameraControl> V4l2CameraControls::readControls(const Ioctl& ioctl, const QString& device)
{
    QVector<CameraControl> result;
    const auto add = [&](const v4l2_queryctrl& query) {
        if (auto control = describe(ioctl, query, device)) {
            result.append(*control);
        }
    };

    v4l2_queryctrl query = {};
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    int error = ioctl(VIDIOC_QUERYCTRL, &query);
    if (error == 0) {
        for (int count = 1; error == 0; ++count) {
            add(query);
            if (count == kMaxControls) {
                qWarning().noquote() << "CameraControls:" << device << "lists more than"
                                     << kMaxControls << "controls - the rest left out";
                return result;
            }
            const __u32 previous = query.id;
            query = {};
            query.id = previous | V4L2_CTRL_FLAG_NEXT_CTRL;
            error = ioctl(VIDIOC_QUERYCTRL, &query);
            // Each answer must come after the one before, or the list would never end.
            if (error == 0 && query.id <= previous) {
                qWarning().noquote()
                    << "CameraControls:" << device << "lists control" << Qt::hex << Qt::showbase
                    << query.id << "after" << previous << "- list cut there";
                return result;
            }
        }
        if (error != EINVAL) {
            qWarning().noquote() << "CameraControls:" << device << "control list ends with"
                                 << errorText(error);
        }
        return result;
    }
    if (error == ENOTTY) {
        qDebug().noquote() << "CameraControls:" << device << "has no controls";
        return result;
    }

    // Drivers from before control enumeration: ask for each standard control, then for the
    // driver's own ones until the first gap.
    for (__u32 id = V4L2_CID_BASE; id < V4L2_CID_LASTP1; ++id) {
        query = {};
        query.id = id;
        if (ioctl(VIDIOC_QUERYCTRL, &query) == 0 && query.id == id) {
            add(query);
        }
    }
    for (__u32 id = V4L2_CID_PRIVATE_BASE; id < V4L2_CID_PRIVATE_BASE + kMaxControls; ++id) {
        query = {};
        query.id = id;
        if (ioctl(VIDIOC_QUERYCTRL, &query) != 0 || query.id != id) {
            break;
        }
        add(query);
    }
    return result;
}

bool V4l2CameraControls::setControl(const Ioctl& ioctl, const QString& device, quint32 id,
                                    qint32 value)
{
    v4l2_control control = {};
    control.id = id;
    control.value = value;
    const int error = ioctl(VIDIOC_S_CTRL, &control);
    if (error != 0) {
        qWarning().noquote() << "CameraControls:" << device << "refuses control" << Qt::hex
                             << Qt::showbase << id << Qt::dec << "=" << value << "-"
                             << errorText(error);
    }
    return error == 0;
}

bool V4l2CameraControls::resetControls(const Ioctl& ioctl, const QString& device)
{
    // An automatic mode switched back on makes its manual settings inactive, and some drivers
    // refuse those; so a first pass sets every value, failures unreported, and a second one
    // retries what is active and still off its default.
    for (const CameraControl& control : readControls(ioctl, device)) {
        if (isWritable(control) && control.value != control.defaultValue) {
            v4l2_control value = {};
            value.id = control.id;
            value.value = control.defaultValue;
            ioctl(VIDIOC_S_CTRL, &value);
        }
    }
    bool complete = true;
    for (const CameraControl& control : readControls(ioctl, device)) {
        if (isWritable(control) && !control.inactive && control.value != control.defaultValue) {
            complete = setControl(ioctl, device, control.id, control.defaultValue) && complete;
        }
    }
    return complete;
}

QVector<CameraControl> V4l2CameraControls::controls()
{
    CameraAccess access;
    const Device device = open(access);
    if (!device) {
        return {};
    }
    return readControls(ioctlOn(device.fd()), access.devicePath);
}

bool V4l2CameraControls::setValue(quint32 controlId, qint32 value)
{
    CameraAccess access;
    const Device device = open(access);
    return device && setControl(ioctlOn(device.fd()), access.devicePath, controlId, value);
}

bool V4l2CameraControls::resetToDefaults()
{
    CameraAccess access;
    const Device device = open(access);
    return device && resetControls(ioctlOn(device.fd()), access.devicePath);
}

std::unique_ptr<CameraControls> createCameraControls(int cameraIndex)
{
    // Where the list has no such camera, the node of that number, to say it is not there.
    QString path = createCameraCatalog()->devicePath(cameraIndex);
    if (path.isEmpty()) {
        path = QStringLiteral("/dev/video%1").arg(cameraIndex);
    }
    return std::make_unique<V4l2CameraControls>(cameraIndex, path);
}
