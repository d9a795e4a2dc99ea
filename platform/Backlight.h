#pragma once

#include <QList>
#include <QObject>
#include <memory>

// The backlight of a laptop's built-in panel, in percent of its maximum.
class Backlight : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The panel's brightness 0..100, or -1 when there is no panel or it cannot be read.
    virtual int brightness() = 0;
    // The percentages the panel can show, ascending; empty without a panel.
    virtual QList<int> supportedLevels() = 0;
    virtual bool setBrightness(int percent) = 0;
    // Reports changes made elsewhere (brightness keys, the system) through brightnessChanged()
    // until stopWatching(). False when changes cannot be followed.
    virtual bool startWatching() = 0;
    virtual void stopWatching() = 0;
    virtual bool isWatching() const = 0;

signals:
    // A new brightness 0..100 that differs from the last one reported.
    void brightnessChanged(int percent);
};

// Create it in the thread that uses it: change events arrive in that thread's event loop.
std::unique_ptr<Backlight> createBacklight();
