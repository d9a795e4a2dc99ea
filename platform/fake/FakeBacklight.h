#pragma once

#include "platform/Backlight.h"

// A panel as a test sets it. Writes are recorded and change the level at once but report
// nothing; reportChange() stands for a change made elsewhere, or for the echo of a write.
class FakeBacklight : public Backlight
{
public:
    int level = -1; // -1: no panel
    QList<int> levels{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    QList<int> setCalls;
    bool watchable = true;
    bool watching = false;

    int brightness() override { return level; }
    QList<int> supportedLevels() override { return level < 0 ? QList<int>{} : levels; }
    bool setBrightness(int percent) override
    {
        setCalls.append(percent);
        if (level < 0) {
            return false;
        }
        level = percent;
        return true;
    }
    bool startWatching() override
    {
        watching = watchable && level >= 0;
        return watching;
    }
    void stopWatching() override { watching = false; }
    bool isWatching() const override { return watching; }

    // Like the real panel: only values 0..100 that differ from the last one reported, and only
    // while watched.
    void reportChange(int percent)
    {
        if (!watching || percent < 0 || percent > 100 || percent == m_lastReported) {
            return;
        }
        level = percent;
        m_lastReported = percent;
        emit brightnessChanged(percent);
    }

private:
    int m_lastReported = -1;
};
