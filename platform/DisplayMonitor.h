#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>

// An output that shows a picture: its name, the scan-out engine (CRTC) feeding it and the part
// of the desktop it shows.
struct ActiveOutput
{
    QString name;
    quint32 crtc = 0;
    QRect rect;
};

// The screens: their layout, their power and their scaling.
class DisplayMonitor : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Empty where the layout cannot be read.
    virtual std::optional<QList<ActiveOutput>> activeOutputs() = 0;

signals:
    // Outputs were added, removed, moved or resized.
    void configurationChanged();
    // Sent when first known and on every change; standby and suspend count as off.
    void displayPowerChanged(bool on);
    // The primary screen's logical DPI changed.
    void dpiChanged();
};

// RandR and DPMS on the X display named by $DISPLAY, and the primary QScreen, on Linux.
std::unique_ptr<DisplayMonitor> createDisplayMonitor();
