#include "controller/CallState.h"

void CallState::cameraHeldByOtherProgram(const QDateTime& now)
{
    m_cameraHeldUntil = now.addMSecs(kCameraHeldMs);
}

bool CallState::cameraHeld(const QDateTime& now) const
{
    return m_cameraHeldUntil.isValid() && now < m_cameraHeldUntil;
}

bool CallState::inCall(const QDateTime& now) const
{
    return m_enabled && (cameraHeld(now) || !m_recorders.isEmpty() || !m_windows.isEmpty());
}

QString CallState::reasons(const QDateTime& now) const
{
    QStringList reasons;
    if (cameraHeld(now)) {
        reasons << QStringLiteral("camera held by another program");
    }
    if (!m_recorders.isEmpty()) {
        reasons << QStringLiteral("recording: ") + m_recorders.join(QStringLiteral(", "));
    }
    if (!m_windows.isEmpty()) {
        reasons << QStringLiteral("call windows: ") + m_windows.join(QStringLiteral(", "));
    }
    return reasons.join(QStringLiteral("; "));
}
