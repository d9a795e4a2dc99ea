#pragma once

#include <QDateTime>
#include <QPoint>
#include <optional>

// When the next computer break and the next eye exercise are due, what moves them, and whether
// the user has been away long enough for a natural break. Plain state: the caller passes "now",
// so that the scheduler decides when to ask.
class BreakSchedule
{
public:
    enum class Due
    {
        Nothing,
        Break,
        Exercise
    };

    // What one presence check found, for the caller's log.
    struct Presence
    {
        bool isBreak = false;
        bool changed = false; // differs from the previous check
        qint64 sinceMoveMs = 0;
        qint64 thresholdMs = 0;
    };

    BreakSchedule(const QDateTime& now, QPoint cursor);

    // The reminder that may start now, if any: an overdue break first; an overdue exercise
    // waits while a break is 300 s or less away.
    Due due(const QDateTime& now) const;

    // Both return whether the flag changed; neither moves the schedule.
    bool enableBreaks(bool isEnabled);
    bool enableExercises(bool isEnabled);
    // Natural breaks are looked for while breaks or exercises are on.
    bool presenceCheckWanted() const { return m_breaksEnabled || m_exercisesEnabled; }
    // A pending break keeps its start and takes the new length.
    void setBreakPeriod(int minutes);
    void includeNaturalBreaks(bool isEnabled) { m_includeNaturalBreaks = isEnabled; }
    void setNaturalBreakDuration(uint minutes) { m_naturalBreakDuration = minutes; }
    void useWebcamInBreaks(bool isEnabled) { m_useWebcamInBreaks = isEnabled; }

    // A finished break (or a resume) restarts both; skipping and snoozing move the break only.
    void restart(const QDateTime& now);
    void skipBreak(const QDateTime& now);
    void snoozeBreak(const QDateTime& now);
    void exerciseEnded(const QDateTime& now);

    // Away means: the cursor has not moved, and where the system can tell, no input came, for
    // longer than the natural-break duration. What the camera saw, when it can tell
    // (awayByCamera), decides instead. Included natural breaks restart the schedule.
    Presence checkPresence(QPoint cursor, std::optional<quint32> idleMs, const QDateTime& now,
                           std::optional<bool> awayByCamera = std::nullopt);
    // Takes the cursor's position into account, as checkPresence() does.
    void noteCursor(QPoint cursor, const QDateTime& now);
    // The last input: the cursor's last move, or later input the system told of.
    QDateTime lastInputTime(std::optional<quint32> idleMs, const QDateTime& now) const;
    qint64 naturalBreakMs() const;

    bool breaksEnabled() const { return m_breaksEnabled; }
    bool exercisesEnabled() const { return m_exercisesEnabled; }
    int breakPeriod() const { return m_breakPeriod; }
    bool naturalBreaksIncluded() const { return m_includeNaturalBreaks; }
    uint naturalBreakDuration() const { return m_naturalBreakDuration; }
    bool usesWebcamInBreaks() const { return m_useWebcamInBreaks; }
    QDateTime nextBreakTime() const { return m_nextBreakTime; }
    QDateTime nextExerciseTime() const { return m_nextExerciseTime; }
    QDateTime lastCursorMoveTime() const { return m_lastCursorMoveTime; }

private:
    bool m_breaksEnabled = false;
    bool m_exercisesEnabled = false;
    int m_breakPeriod = 50; // minutes
    QDateTime m_nextBreakTime;
    QDateTime m_nextExerciseTime;
    bool m_includeNaturalBreaks = false;
    uint m_naturalBreakDuration = 3; // minutes
    bool m_isBreak = false;
    QPoint m_lastCursorPos;
    QDateTime m_lastCursorMoveTime;
    // The controller asks the camera; stored here with the other break settings.
    bool m_useWebcamInBreaks = false;
};
