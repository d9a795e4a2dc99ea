#include "gui/PauseReasons.h"

#include <QStringList>

bool PauseReasons::add(Reason reason)
{
    const bool began = !isPaused();
    m_reasons |= bit(reason);
    return began;
}

bool PauseReasons::remove(Reason reason)
{
    if (!holds(reason)) {
        return false;
    }
    m_reasons &= ~bit(reason);
    return !isPaused();
}

bool PauseReasons::clear()
{
    const bool ended = isPaused();
    m_reasons = 0;
    return ended;
}

QString PauseReasons::describe() const
{
    static const char* const names[] = {"the user",     "locked",        "suspended",
                                        "display off",  "cloned screen", "process",
                                        "window title", "battery",       "camera window title"};
    QStringList held;
    for (unsigned i = 0; i < sizeof names / sizeof names[0]; ++i) {
        if (holds(static_cast<Reason>(i))) {
            held << QLatin1String(names[i]);
        }
    }
    return held.isEmpty() ? QStringLiteral("nothing") : held.join(QStringLiteral(", "));
}
