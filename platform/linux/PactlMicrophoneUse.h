#pragma once

#include "platform/MicrophoneUse.h"

class QProcess;
class QTimer;

// Asks the sound server (PulseAudio, or PipeWire through its PulseAudio service) for its
// recording streams every few seconds with "pactl"; without the tool or the server, nobody
// records, and that is logged once.
class PactlMicrophoneUse : public MicrophoneUse
{
    Q_OBJECT
public:
    PactlMicrophoneUse();
    ~PactlMicrophoneUse() override;

    void start() override;
    void stop() override;

private:
    void ask();
    void answer();

    QTimer* m_timer = nullptr;
    QProcess* m_process = nullptr;
    QStringList m_programs;
    bool m_failureLogged = false;
};
