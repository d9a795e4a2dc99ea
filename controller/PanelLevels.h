#pragma once

#include <QList>

// The one mapping between the brightness slider's hardware positions 0..10 and the levels a
// panel can show, in percent. A position means position x 10 % of full brightness, times the
// battery saver's factor, and lands on the nearest level the panel has; a level reported back
// gives the position that lands on it, so that a coarse panel's positions survive the round trip.
class PanelLevels
{
public:
    static constexpr int kHighestPosition = 10;

    enum class Rounding
    {
        Truncate, // a level between two positions counts as the lower one
        Nearest,
    };

    // levels ascending; empty where the panel tells none, and every percentage is taken as one.
    void setLevels(const QList<int>& levels) { m_levels = levels; }
    void setFactor(float factor) { m_factor = factor; }
    const QList<int>& levels() const { return m_levels; }
    float factor() const { return m_factor; }

    // position x 10 x factor, truncated: what a position asks of a device that has every level.
    int target(int position) const;
    // The panel's level for a position 0..10.
    int levelFor(int position) const;
    // The position of a level the panel reports. A level some position lands on gives that
    // position (of several, the one nearest the level itself); another level is placed between
    // the positions, rounded as asked.
    int positionFor(int level, Rounding rounding) const;

    // The supported level nearest to v in levels, ties going to the higher one; v itself when
    // no level is at least v.
    static int nearestSupportedLevel(const QList<int>& levels, int v);

private:
    QList<int> m_levels;
    float m_factor = 1.0f;
};
