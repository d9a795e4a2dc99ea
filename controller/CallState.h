#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Whether the user is in a call, from what the platform tells: another program holds the camera
// (seen only when the engine tries to open it, so it counts for a while after each try), or
// other programs record from the microphone, or a window the user listed is open. Plain state: the
// caller passes "now".
class CallState
{
public:
    // How long one "camera occupied" answer counts as a call.
    static constexpr int kCameraHeldMs = 60000;

    void setEnabled(bool isEnabled) { m_enabled = isEnabled; }
    bool isEnabled() const { return m_enabled; }

    void cameraHeldByOtherProgram(const QDateTime& now);
    void setRecordingPrograms(const QStringList& programs) { m_recorders = programs; }
    void setCallWindows(const QStringList& titles) { m_windows = titles; }

    bool inCall(const QDateTime& now) const;
    // Why, for the log.
    QString reasons(const QDateTime& now) const;

private:
    bool cameraHeld(const QDateTime& now) const;

    bool m_enabled = true;
    QDateTime m_cameraHeldUntil;
    QStringList m_recorders;
    QStringList m_windows;
};
