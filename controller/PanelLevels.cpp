#include "controller/PanelLevels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int PanelLevels::target(int position) const
{
    return static_cast<int>(static_cast<float>(position) * 10.0f * m_factor);
}

int PanelLevels::levelFor(int position) const
{
    return nearestSupportedLevel(m_levels, target(std::clamp(position, 0, kHighestPosition)));
}

int PanelLevels::positionFor(int level, Rounding rounding) const
{
    const float tens = std::ceil(static_cast<float>(level) / m_factor) / 10.0f;
    const int between =
        std::clamp(static_cast<int>(rounding == Rounding::Truncate ? tens : std::round(tens)), 0,
                   kHighestPosition);
    if (levelFor(between) == level) {
        return between;
    }
    // A coarse panel: several positions share each level, and the plain conversion may name a
    // neighbour of the position the level came from.
    int best = -1;
    for (int position = 0; position <= kHighestPosition; ++position) {
        if (levelFor(position) == level &&
            (best < 0 || std::abs(target(position) - level) < std::abs(target(best) - level))) {
            best = position;
        }
    }
    return best < 0 ? between : best;
}

int PanelLevels::nearestSupportedLevel(const QList<int>& levels, int v)
{
    bool hasPrevious = false;
    int previous = 0;
    for (int level : levels) {
        if (level >= v) {
            if (level == v || !hasPrevious) {
                return level;
            }
            return level - v > v - previous ? previous : level;
        }
        previous = level;
        hasPrevious = true;
    }
    return v;
}
