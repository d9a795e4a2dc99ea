#include "controller/BreakSchedule.h"

#include <algorithm>

namespace {

constexpr qint64 kMinuteMs = 60000;
// From the end of the last exercise or break.
constexpr qint64 kExerciseGapMs = 1140000;
constexpr qint64 kSnoozeMs = 300000;
constexpr qint64 kExerciseHoldBackS = 300;

} // namespace

BreakSchedule::BreakSchedule(const QDateTime& now, QPoint cursor) : m_lastCursorPos(cursor)
{
    restart(now);
}

BreakSchedule::Due BreakSchedule::due(const QDateTime& now) const
{
    // Whole seconds, negative when overdue.
    const qint64 secondsToBreak = now.secsTo(m_nextBreakTime);
    if (m_breaksEnabled && secondsToBreak < 0) {
        return Due::Break;
    }
    // An exercise right before a break is pointless; with breaks off there is none to wait for.
    const bool breakClose = m_breaksEnabled && secondsToBreak <= kExerciseHoldBackS;
    if (m_exercisesEnabled && now.secsTo(m_nextExerciseTime) < 0 && !breakClose) {
        return Due::Exercise;
    }
    return Due::Nothing;
}

bool BreakSchedule::enableBreaks(bool isEnabled)
{
    const bool changed = m_breaksEnabled != isEnabled;
    m_breaksEnabled = isEnabled;
    return changed;
}

bool BreakSchedule::enableExercises(bool isEnabled)
{
    const bool changed = m_exercisesEnabled != isEnabled;
    m_exercisesEnabled = isEnabled;
    return changed;
}

void BreakSchedule::setBreakPeriod(int minutes)
{
    m_nextBreakTime = m_nextBreakTime.addMSecs((qint64(minutes) - m_breakPeriod) * kMinuteMs);
    m_breakPeriod = minutes;
}

void BreakSchedule::restart(const QDateTime& now)
{
    m_nextBreakTime = now.addMSecs(m_breakPeriod * kMinuteMs);
    m_nextExerciseTime = now.addMSecs(kExerciseGapMs);
}

void BreakSchedule::skipBreak(const QDateTime& now)
{
    m_nextBreakTime = now.addMSecs(m_breakPeriod * kMinuteMs);
}

void BreakSchedule::snoozeBreak(const QDateTime& now)
{
    m_nextBreakTime = now.addMSecs(kSnoozeMs);
}

void BreakSchedule::exerciseEnded(const QDateTime& now)
{
    m_nextExerciseTime = now.addMSecs(kExerciseGapMs);
}

void BreakSchedule::noteCursor(QPoint cursor, const QDateTime& now)
{
    if (cursor != m_lastCursorPos) {
        m_lastCursorPos = cursor;
        m_lastCursorMoveTime = now;
    }
}

QDateTime BreakSchedule::lastInputTime(std::optional<quint32> idleMs, const QDateTime& now) const
{
    if (!idleMs) {
        return m_lastCursorMoveTime;
    }
    const QDateTime input = now.addMSecs(-qint64(*idleMs));
    return m_lastCursorMoveTime.isValid() ? std::max(input, m_lastCursorMoveTime) : input;
}

qint64 BreakSchedule::naturalBreakMs() const
{
    return qint64(m_naturalBreakDuration) * kMinuteMs;
}

BreakSchedule::Presence BreakSchedule::checkPresence(QPoint cursor, std::optional<quint32> idleMs,
                                                     const QDateTime& now,
                                                     std::optional<bool> awayByCamera)
{
    noteCursor(cursor, now);

    Presence presence;
    presence.thresholdMs = naturalBreakMs();
    // Before the cursor has ever moved nobody can tell how long the user has been away.
    presence.sinceMoveMs = m_lastCursorMoveTime.isValid() ? m_lastCursorMoveTime.msecsTo(now) : 0;
    // Where the system cannot tell the idle time, the cursor alone decides; a known idle time
    // of 0 is input at this very moment, not an unknown one.
    presence.isBreak = awayByCamera.value_or(presence.sinceMoveMs > presence.thresholdMs &&
                                             (!idleMs || qint64(*idleMs) > presence.thresholdMs));
    presence.changed = presence.isBreak != m_isBreak;
    m_isBreak = presence.isBreak;

    if (presence.isBreak && m_includeNaturalBreaks) {
        restart(now);
    }
    return presence;
}
