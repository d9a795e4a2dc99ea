#pragma once

#include "platform/MicrophoneUse.h"

// Recording programs as a test sets them, answered as the sound server is: late (when the test
// calls deliver()), several changes in between merged into the last, and nothing when nothing
// changed.
class FakeMicrophoneUse : public MicrophoneUse
{
public:
    bool started = false;

    void start() override { started = true; }
    void stop() override { started = false; }

    // What the system would now report; goes out at the next deliver().
    void setRecording(QStringList programs) { m_pending = std::move(programs); }
    // The late answer arrives: only the last state, and only if it changed.
    void deliver()
    {
        if (started && m_pending != m_reported) {
            m_reported = m_pending;
            emit recordingProgramsChanged(m_reported);
        }
    }

private:
    QStringList m_pending;
    QStringList m_reported;
};
