#include "platform/linux/V4l2CameraCatalog.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QString readAttribute(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(256)).trimmed() : QString();
}

// Closes the node however the probe ends.
class OpenNode
{
public:
    explicit OpenNode(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC))
    {
    }
    ~OpenNode()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    OpenNode(const OpenNode&) = delete;
    OpenNode& operator=(const OpenNode&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

V4l2CameraCatalog::V4l2CameraCatalog(QString deviceFolder, QString sysfsFolder, Prober prober)
    : m_deviceFolder(std::move(deviceFolder)), m_sysfsFolder(std::move(sysfsFolder)),
      m_prober(std::move(prober))
{
}

V4l2CameraCatalog::Probe V4l2CameraCatalog::probe(const QString& path)
{
    const OpenNode node(path);
    if (node.fd() < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            return {Probe::Kind::Unreadable, QString()};
        }
        if (error == EBUSY) {
            // Held exclusively by another program: a camera, and the engine will say so.
            return {Probe::Kind::Capture, QString()};
        }
        return {Probe::Kind::Gone, QString()};
    }
    v4l2_capability capability{};
    if (::ioctl(node.fd(), VIDIOC_QUERYCAP, &capability) != 0) {
        return {Probe::Kind::NoVideo, QString()};
    }
    const quint32 caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) != 0
                             ? capability.device_caps
                             : capability.capabilities;
    const bool captures = (caps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE)) != 0;
    const auto* card = reinterpret_cast<const char*>(capability.card);
    return {captures ? Probe::Kind::Capture : Probe::Kind::NoVideo,
            QString::fromUtf8(card, static_cast<int>(strnlen(card, sizeof capability.card)))};
}

QList<CaptureDevice> V4l2CameraCatalog::captureDevices() const
{
    static const QRegularExpression node(QStringLiteral("^video(\\d+)$"));
    QList<std::pair<int, QString>> nodes;
    for (const QString& entry : QDir(m_deviceFolder).entryList(QDir::System | QDir::Files)) {
        const QRegularExpressionMatch match = node.match(entry);
        if (match.hasMatch()) {
            nodes.append({match.captured(1).toInt(), entry});
        }
    }
    std::sort(nodes.begin(), nodes.end());

    QList<CaptureDevice> devices;
    for (const auto& [number, entry] : nodes) {
        const QString path = m_deviceFolder + QLatin1Char('/') + entry;
        const QString attributes = m_sysfsFolder + QLatin1Char('/') + entry;
        Probe found = m_prober(path);
        if (found.kind == Probe::Kind::Unreadable) {
            // The kernel's own attributes stand in for what the driver would have said.
            if (readAttribute(attributes + QStringLiteral("/index")) != QLatin1String("0")) {
                continue;
            }
            qDebug().noquote() << "cameras:" << path << "may not be opened by this user";
        } else if (found.kind != Probe::Kind::Capture) {
            continue;
        }
        if (found.name.isEmpty()) {
            found.name = readAttribute(attributes + QStringLiteral("/name"));
        }
        if (found.name.isEmpty()) {
            found.name = entry;
        }
        devices.append({path, found.name, found.kind != Probe::Kind::Unreadable});
    }
    return devices;
}

std::unique_ptr<CameraCatalog> createCameraCatalog()
{
    return std::make_unique<V4l2CameraCatalog>();
}
