#include "SysfsBacklight.h"

#include "platform/linux/LogindNames.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <algorithm>
#include <climits>
#include <unistd.h>

#ifdef WINKWELL_HAVE_UDEV
#include <libudev.h>
#endif

namespace {

const QString autoSessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");

// Attributes hold a short number; anything longer is garbage and need not be read in full.
constexpr qint64 maxAttributeBytes = 64;

// Preference of the kinds of backlight device, lowest first; -1 for kinds not used.
int typeRank(const QByteArray& type)
{
    static const QByteArray order[] = {"firmware", "platform", "raw"};
    const auto* found = std::find(std::begin(order), std::end(order), type);
    return found == std::end(order) ? -1 : static_cast<int>(found - std::begin(order));
}

QString printable(const QByteArray& text)
{
    QString shown = QString::fromLatin1(text.left(32));
    for (QChar& c : shown) {
        if (!c.isPrint()) {
            c = QLatin1Char('?');
        }
    }
    return shown;
}

// The number in a sysfs attribute; on failure empty, with why set.
std::optional<qint64> readNumber(const QString& path, QString* why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return std::nullopt;
    }
    const QByteArray text = file.read(maxAttributeBytes);
    if (file.error() != QFileDevice::NoError) {
        *why = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return std::nullopt;
    }
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok) {
        *why = QStringLiteral("is not a number: \"%1\"").arg(printable(text.trimmed()));
        return std::nullopt;
    }
    return value;
}

int percentOf(qint64 raw, qint64 max)
{
    return static_cast<int>((raw * 200 + max) / (2 * max));
}

qint64 rawOf(int percent, qint64 max)
{
    return (percent * max * 2 + 100) / 200;
}

bool serviceMissing(const QDBusError& error)
{
    return error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::NoReply ||
           error.type() == QDBusError::Disconnected || error.type() == QDBusError::TimedOut;
}

// The error's name and the last line of its text: services written in Python may send a whole
// traceback, which ends with the error itself.
QString describe(const QDBusError& error)
{
    return error.name() + QLatin1Char(' ') +
           error.message().trimmed().section(QLatin1Char('\n'), -1);
}

} // namespace

#ifdef WINKWELL_HAVE_UDEV

// A udev monitor for backlight devices: every change of a device's brightness and every device
// that comes or goes.
class UdevBacklightMonitor
{
public:
    static std::unique_ptr<UdevBacklightMonitor> create(QString* why)
    {
        // Without udevd libudev hands out a monitor that never reports anything.
        if (!QFileInfo::exists(QStringLiteral("/run/udev/control"))) {
            *why = QStringLiteral("systemd-udevd does not run");
            return nullptr;
        }
        std::unique_ptr<UdevBacklightMonitor> monitor(new UdevBacklightMonitor);
        monitor->m_udev.reset(udev_new());
        if (!monitor->m_udev) {
            *why = QStringLiteral("udev_new failed");
            return nullptr;
        }
        monitor->m_monitor.reset(udev_monitor_new_from_netlink(monitor->m_udev.get(), "udev"));
        if (!monitor->m_monitor ||
            udev_monitor_filter_add_match_subsystem_devtype(monitor->m_monitor.get(), "backlight",
                                                            nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor->m_monitor.get()) < 0) {
            *why = QStringLiteral("the udev monitor cannot be set up");
            return nullptr;
        }
        return monitor;
    }

    int fd() const { return udev_monitor_get_fd(m_monitor.get()); }

    // Takes every pending event off the (non-blocking) socket.
    void drain()
    {
        while (udev_device* device = udev_monitor_receive_device(m_monitor.get())) {
            udev_device_unref(device);
        }
    }

private:
    UdevBacklightMonitor() = default;

    struct UdevUnref
    {
        void operator()(udev* u) const { udev_unref(u); }
    };
    struct MonitorUnref
    {
        void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
    };
    std::unique_ptr<udev, UdevUnref> m_udev;
    std::unique_ptr<udev_monitor, MonitorUnref> m_monitor;
};

#else

class UdevBacklightMonitor
{
public:
    static std::unique_ptr<UdevBacklightMonitor> create(QString* why)
    {
        *why = QStringLiteral("built without libudev");
        return nullptr;
    }
    int fd() const { return -1; }
    void drain() {}
};

#endif

SysfsBacklight::SysfsBacklight(QString root, const QDBusConnection& systemBus, int pollIntervalMs,
                               QObject* parent)
    : Backlight(parent), m_root(std::move(root)), m_bus(systemBus), m_pollTimer(this)
{
    m_pollTimer.setInterval(pollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &SysfsBacklight::checkForChange);
}

SysfsBacklight::~SysfsBacklight() = default;

void SysfsBacklight::report(QString& last, const QString& problem)
{
    if (problem != last) {
        last = problem;
        qWarning().noquote() << problem;
    }
}

std::optional<SysfsBacklight::Panel> SysfsBacklight::findPanel()
{
    const QDir root(m_root);
    if (!root.exists()) {
        report(m_readProblem,
               QStringLiteral("backlight: %1 does not exist, no panel brightness").arg(m_root));
        return std::nullopt;
    }
    QString chosen;
    QByteArray chosenType;
    int chosenRank = INT_MAX;
    // Sorted by name, so that the first of a kind wins.
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        QFile typeFile(root.filePath(name + QStringLiteral("/type")));
        if (!typeFile.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray type = typeFile.read(maxAttributeBytes).trimmed();
        const int rank = typeRank(type);
        if (rank >= 0 && rank < chosenRank) {
            chosen = name;
            chosenType = type;
            chosenRank = rank;
        }
    }
    if (chosen.isEmpty()) {
        report(m_readProblem,
               QStringLiteral("backlight: no device of type firmware, platform or raw under %1, "
                              "no panel brightness")
                   .arg(m_root));
        return std::nullopt;
    }
    Panel panel{chosen, root.filePath(chosen), 0};
    QString why;
    const auto max = readNumber(panel.path + QStringLiteral("/max_brightness"), &why);
    if (!max) {
        report(m_readProblem, QStringLiteral("backlight %1: max_brightness %2").arg(chosen, why));
        return std::nullopt;
    }
    // The kernel keeps the maximum in an int; beyond that the file cannot be trusted.
    if (*max <= 0 || *max > INT_MAX) {
        report(m_readProblem,
               QStringLiteral("backlight %1: max_brightness %2 is not a usable maximum")
                   .arg(chosen)
                   .arg(*max));
        return std::nullopt;
    }
    panel.max = *max;
    const QString description = QStringLiteral("backlight: panel %1 (%2), max_brightness %3")
                                    .arg(chosen, QString::fromLatin1(chosenType))
                                    .arg(panel.max);
    if (description != m_panelLogged) {
        m_panelLogged = description;
        qDebug().noquote() << description;
    }
    return panel;
}

std::optional<qint64> SysfsBacklight::readRaw(const Panel& panel)
{
    // actual_brightness is what the hardware shows; brightness only what was last asked for,
    // but some drivers fail to read the hardware back.
    QString actualWhy;
    auto raw = readNumber(panel.path + QStringLiteral("/actual_brightness"), &actualWhy);
    QString source = QStringLiteral("actual_brightness");
    if (!raw) {
        QString why;
        raw = readNumber(panel.path + QStringLiteral("/brightness"), &why);
        if (!raw) {
            report(m_readProblem,
                   QStringLiteral("backlight %1: actual_brightness %2, brightness %3")
                       .arg(panel.name, actualWhy, why));
            return std::nullopt;
        }
        source = QStringLiteral("brightness");
    }
    if (*raw < 0 || *raw > panel.max) {
        report(m_readProblem, QStringLiteral("backlight %1: %2 %3 is outside 0..%4")
                                  .arg(panel.name, source)
                                  .arg(*raw)
                                  .arg(panel.max));
        return std::nullopt;
    }
    return raw;
}

qint64 SysfsBacklight::lowestRaw(qint64 max)
{
    return std::max<qint64>(1, (max + 19) / 20);
}

int SysfsBacklight::brightness()
{
    const auto panel = findPanel();
    if (!panel) {
        return -1;
    }
    const auto raw = readRaw(*panel);
    if (!raw) {
        return -1;
    }
    // Read fine: the same problem coming back later is worth a new line.
    m_readProblem.clear();
    return percentOf(*raw, panel->max);
}

QList<int> SysfsBacklight::supportedLevels()
{
    const auto panel = findPanel();
    if (!panel) {
        return {};
    }
    QList<int> levels;
    const qint64 lowest = lowestRaw(panel->max);
    if (panel->max >= 100) {
        // A step of at most one percent: every percentage has a raw value that reads back as it.
        for (int percent = 0; percent <= 100; ++percent) {
            if (rawOf(percent, panel->max) >= lowest) {
                levels.append(percent);
            }
        }
        return levels;
    }
    for (qint64 raw = lowest; raw <= panel->max; ++raw) {
        const int percent = percentOf(raw, panel->max);
        if (levels.isEmpty() || levels.last() != percent) {
            levels.append(percent);
        }
    }
    return levels;
}

bool SysfsBacklight::setBrightness(int percent)
{
    const int clamped = std::clamp(percent, 0, 100);
    const auto panel = findPanel();
    if (!panel) {
        qWarning() << "backlight: no panel to set to" << clamped << "%";
        return false;
    }
    const qint64 raw = std::max(rawOf(clamped, panel->max), lowestRaw(panel->max));
    return setThroughLogind(*panel, raw) || writeDirectly(*panel, raw);
}

bool SysfsBacklight::setThroughLogind(const Panel& panel, qint64 raw)
{
    const QString fallback = QStringLiteral(", writing %1/brightness directly").arg(panel.path);
    if (!m_bus.isConnected()) {
        report(m_logindProblem, QStringLiteral("backlight: no system bus for logind") + fallback);
        return false;
    }
    const QString session = sessionPath();
    if (session.isEmpty()) {
        report(m_logindProblem, QStringLiteral("backlight: logind does not answer") + fallback);
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        Logind::service, session, Logind::sessionInterface, QStringLiteral("SetBrightness"));
    call << QStringLiteral("backlight") << panel.name << static_cast<quint32>(raw);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, Logind::callTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        m_logindProblem.clear();
        return true;
    }
    report(m_logindProblem,
           QStringLiteral("backlight: logind %1 SetBrightness(backlight, %2) failed: %3")
                   .arg(session, panel.name, describe(QDBusError(reply))) +
               fallback);
    return false;
}

QString SysfsBacklight::sessionPath()
{
    if (!m_sessionPath.isEmpty()) {
        return m_sessionPath;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(Logind::service, Logind::managerPath,
                                       Logind::managerInterface, QStringLiteral("GetSessionByPID"));
    call << static_cast<quint32>(getpid());
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, Logind::callTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        const QString path = reply.arguments().value(0).value<QDBusObjectPath>().path();
        if (!path.isEmpty()) {
            // A process keeps its session for life.
            m_sessionPath = path;
            qDebug().noquote() << "backlight: set through logind session" << path;
            return path;
        }
    }
    const QDBusError error(reply);
    if (serviceMissing(error)) {
        return QString();
    }
    // Not in a session of its own (started by a service manager, say): logind then takes the
    // caller's display session.
    m_sessionPath = autoSessionPath;
    report(m_logindProblem, QStringLiteral("backlight: logind GetSessionByPID: %1, using %2")
                                .arg(describe(error), autoSessionPath));
    return m_sessionPath;
}

bool SysfsBacklight::writeDirectly(const Panel& panel, qint64 raw)
{
    // ExistingOnly: a vanished device must not leave a stray file behind in a test tree.
    QFile file(panel.path + QStringLiteral("/brightness"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::ExistingOnly | QIODevice::Unbuffered)) {
        report(m_writeProblem,
               QStringLiteral("backlight %1: brightness cannot be written (%2), the "
                              "brightness stays")
                   .arg(panel.name, file.errorString()));
        return false;
    }
    // Unbuffered: the driver's refusal shows at write(), not at a flush nobody checks.
    const QByteArray text = QByteArray::number(raw) + '\n';
    if (file.write(text) != text.size()) {
        report(m_writeProblem, QStringLiteral("backlight %1: writing brightness failed (%2), the "
                                              "brightness stays")
                                   .arg(panel.name, file.errorString()));
        return false;
    }
    m_writeProblem.clear();
    return true;
}

bool SysfsBacklight::startWatching()
{
    if (m_watching) {
        return true;
    }
    m_watching = true;
    m_lastReported = brightness();
    if (QDir::cleanPath(m_root) == defaultRoot() && watchThroughUdev()) {
        return true;
    }
    qDebug().noquote() << "backlight: reading" << m_root << "every" << m_pollTimer.interval()
                       << "ms for changes";
    m_pollTimer.start();
    return true;
}

bool SysfsBacklight::watchThroughUdev()
{
    QString why;
    m_udev = UdevBacklightMonitor::create(&why);
    if (!m_udev) {
        qDebug().noquote() << "backlight: no udev events (" + why + ")";
        return false;
    }
    m_udevNotifier = std::make_unique<QSocketNotifier>(m_udev->fd(), QSocketNotifier::Read);
    connect(m_udevNotifier.get(), &QSocketNotifier::activated, this, &SysfsBacklight::onUdevEvent);
    qDebug() << "backlight: following changes through udev";
    return true;
}

void SysfsBacklight::onUdevEvent()
{
    if (m_udev) {
        m_udev->drain();
    }
    checkForChange();
}

void SysfsBacklight::stopWatching()
{
    m_watching = false;
    m_pollTimer.stop();
    m_udevNotifier.reset();
    m_udev.reset();
}

bool SysfsBacklight::isWatching() const
{
    return m_watching;
}

void SysfsBacklight::checkForChange()
{
    if (!m_watching) {
        return;
    }
    const int percent = brightness();
    if (percent < 0 || percent > 100 || percent == m_lastReported) {
        return;
    }
    m_lastReported = percent;
    emit brightnessChanged(percent);
}

std::unique_ptr<Backlight> createBacklight()
{
    return std::make_unique<SysfsBacklight>();
}
