#pragma once

#include <QString>

// Why the program, or its camera use, is paused: the user's own choice and every automatic reason
// that holds now. The pause lasts while any reason holds, so that the end of one reason never
// resumes what another still pauses. The user resuming by hand clears them all: only a new event
// pauses again.
class PauseReasons
{
public:
    enum Reason
    {
        User,
        Locked,
        Suspended,
        DisplayOff,
        ClonedScreen,
        Process,
        PauseTitle,
        Battery,
        CameraTitle,
    };

    // True when the reason began the pause.
    bool add(Reason reason);
    // True when the reason was the last one, so that the pause ends.
    bool remove(Reason reason);
    // The user resumed: true when a pause ended.
    bool clear();
    bool isPaused() const { return m_reasons != 0; }
    bool holds(Reason reason) const { return (m_reasons & bit(reason)) != 0; }
    // "locked, display off", for the log.
    QString describe() const;

private:
    static unsigned bit(Reason reason) { return 1u << static_cast<unsigned>(reason); }

    unsigned m_reasons = 0;
};
