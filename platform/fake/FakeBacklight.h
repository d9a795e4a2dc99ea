#pragma once

#include "platform/Backlight.h"

#include <cstdlib>

// A panel as a test sets it. A write lands on the nearest level the panel has (its own steps) and
// reports nothing: real panels answer late, and several writes in a row with one reading, so the
// test delivers the echo when it chooses (reportLevel(), or reportChange() for a level passed on
// the way). reportChange() also stands for a change made elsewhere.
class FakeBacklight : public Backlight
{
public:
    int level = -1; // -1: no panel
    // A panel's levels stop short of 0, which would switch many backlights off.
    QList<int> levels{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    QList<int> setCalls;
    bool watchable = true;
    bool watching = false;
    bool refuseWrites = false; // the system refuses every write

    int brightness() override { return level; }
    QList<int> supportedLevels() override { return level < 0 ? QList<int>{} : levels; }
    bool setBrightness(int percent) override
    {
        setCalls.append(percent);
        if (level < 0 || refuseWrites) {
            return false;
        }
        level = nearestLevel(percent);
        return true;
    }
    bool startWatching() override
    {
        watching = watchable && level >= 0;
        if (watching) {
            m_lastReported = level;
        }
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
    // One reading of where the writes so far have left the panel.
    void reportLevel() { reportChange(level); }

private:
    int nearestLevel(int percent) const
    {
        bool found = false;
        int nearest = percent;
        for (int candidate : levels) {
            if (!found || std::abs(candidate - percent) < std::abs(nearest - percent)) {
                nearest = candidate;
                found = true;
            }
        }
        return nearest;
    }

    int m_lastReported = -1;
};
