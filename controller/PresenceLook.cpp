#include "controller/PresenceLook.h"

#include <algorithm>

bool PresenceLook::answeredSince(const QDateTime& since) const
{
    return m_lastPresent.has_value() && m_lastAnswer.isValid() &&
           (!since.isValid() || m_lastAnswer >= since);
}

bool PresenceLook::mayLook(const QDateTime& now, const QDateTime& since, Watch watch,
                           qint64 naturalBreakMs) const
{
    if (!m_enabled || m_running ||
        (m_lastStart.isValid() && m_lastStart.msecsTo(now) < kLeastGapMs)) {
        return false;
    }
    if (!answeredSince(since)) {
        return true;
    }
    if (*m_lastPresent) {
        const qint64 gap = watch == Watch::IdleInput ? naturalBreakMs : kLeastGapMs;
        return m_lastAnswer.msecsTo(now) >= gap;
    }
    return watch == Watch::BreakWindow;
}

void PresenceLook::started(const QDateTime& now)
{
    m_running = true;
    m_lastStart = now;
}

void PresenceLook::answered(std::optional<bool> present, const QDateTime& now)
{
    m_running = false;
    m_lastAnswer = now;
    m_lastPresent = present;
    if (present.value_or(false)) {
        m_lastFace = now;
    }
}

std::optional<bool> PresenceLook::away(const QDateTime& now, const QDateTime& since,
                                       qint64 naturalBreakMs) const
{
    if (!m_enabled || !answeredSince(since)) {
        return std::nullopt;
    }
    if (*m_lastPresent) {
        return false;
    }
    const QDateTime from =
        m_lastFace.isValid() && (!since.isValid() || m_lastFace > since) ? m_lastFace : since;
    return !from.isValid() || from.msecsTo(now) >= naturalBreakMs;
}
