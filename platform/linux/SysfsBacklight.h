#pragma once

#include "platform/Backlight.h"

#include <QDBusConnection>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class QSocketNotifier;
class UdevBacklightMonitor;

// The panel backlight under /sys/class/backlight (or a tree laid out like it). Of several
// devices the firmware one is taken, then a platform one, then a raw one (by name within a
// type): the firmware and platform interfaces know the panel's real range, raw GPU registers
// may not. The device is looked up afresh on every read, so one that goes and comes back is
// followed.
// Writes go through logind's Session.SetBrightness, which needs no write access to sysfs; the
// brightness file is written directly only when logind cannot do it.
// Changes are followed through udev where the real /sys is read and udevd runs, else by reading
// actual_brightness once a second.
// The panel is never set below its lowest visible level: on many panels raw 0 switches the
// backlight off, and nothing would turn it on again after the program ends. The floor is the one
// the system's own backlight restore keeps, 5 % of max_brightness and at least one raw step.
class SysfsBacklight : public Backlight
{
    Q_OBJECT

public:
    explicit SysfsBacklight(QString root = defaultRoot(),
                            const QDBusConnection& systemBus = QDBusConnection::systemBus(),
                            int pollIntervalMs = defaultPollIntervalMs, QObject* parent = nullptr);
    ~SysfsBacklight() override;

    int brightness() override;
    QList<int> supportedLevels() override;
    bool setBrightness(int percent) override;
    bool startWatching() override;
    void stopWatching() override;
    bool isWatching() const override;

    static QString defaultRoot() { return QStringLiteral("/sys/class/backlight"); }
    static constexpr int defaultPollIntervalMs = 1000;
    // The lowest raw value the panel is set to.
    static qint64 lowestRaw(qint64 max);

public slots:
    // Reads the brightness and reports it when it changed; what the poll timer and udev events
    // call. Does nothing unless watching.
    void checkForChange();

private:
    struct Panel
    {
        QString name;
        QString path;
        qint64 max = 0;
    };

    std::optional<Panel> findPanel();
    std::optional<qint64> readRaw(const Panel& panel);
    bool setThroughLogind(const Panel& panel, qint64 raw);
    bool writeDirectly(const Panel& panel, qint64 raw);
    QString sessionPath();
    static void report(QString& last, const QString& problem);
    bool watchThroughUdev();
    void onUdevEvent();

    QString m_root;
    QDBusConnection m_bus;
    QString m_sessionPath;
    // Each problem is logged when it first shows, not on every read or poll.
    QString m_readProblem;
    QString m_logindProblem;
    QString m_writeProblem;
    QString m_panelLogged;
    int m_lastReported = -1;
    bool m_watching = false;
    QTimer m_pollTimer;
    std::unique_ptr<UdevBacklightMonitor> m_udev;
    std::unique_ptr<QSocketNotifier> m_udevNotifier;
};
