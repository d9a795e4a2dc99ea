#pragma once

#include <QDateTime>
#include <optional>

// Whether the camera sees the user, for the natural-break rule: when to look and what the answers
// mean. Answers count from a moment on ("since"): the last input while input is idle, the moment a
// break window appeared while one is shown. Plain state: the caller passes "now".
class PresenceLook
{
public:
    static constexpr qint64 kLeastGapMs = 60000; // between the starts of two looks

    enum class Watch
    {
        IdleInput,  // input has been idle past the natural-break duration
        BreakWindow // a break window is shown
    };

    void setEnabled(bool isEnabled) { m_enabled = isEnabled; }
    bool isEnabled() const { return m_enabled; }
    bool isRunning() const { return m_running; }

    // Whether a look is worth its camera time now. A face seen is not looked for again before
    // the user could have been away for the natural break (idle input), or a minute (a break
    // window, where the absence has to last); an absence seen while input is idle holds until
    // the next input.
    bool mayLook(const QDateTime& now, const QDateTime& since, Watch watch,
                 qint64 naturalBreakMs) const;
    void started(const QDateTime& now);
    // present: whether a face was seen; none when the camera could not tell.
    void answered(std::optional<bool> present, const QDateTime& now);
    // The look was stopped before it could answer.
    void cancelled() { m_running = false; }

    // What the answers since "since" tell: true away (no face seen for the natural-break
    // duration, counted from since or the last face), false present, none when they cannot tell.
    std::optional<bool> away(const QDateTime& now, const QDateTime& since,
                             qint64 naturalBreakMs) const;

private:
    bool answeredSince(const QDateTime& since) const;

    bool m_enabled = false;
    bool m_running = false;
    QDateTime m_lastStart;
    QDateTime m_lastAnswer;
    std::optional<bool> m_lastPresent;
    QDateTime m_lastFace;
};
