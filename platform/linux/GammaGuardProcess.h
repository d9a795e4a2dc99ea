#pragma once

#include "platform/ScreenGammaGuard.h"

#include <sys/types.h>

// The guard is a small process of its own (winkwell-gamma-guard beside the program) whose
// standard input is a pipe from this one. The pipe ends with this process, however it ends:
// the guard then reads the end of its input and restores from the marker, if it is still there.
// It runs in a session of its own and ignores hang-ups, so that closing the terminal that
// started the program does not end the guard before the program.
class GammaGuardProcess : public ScreenGammaGuard
{
public:
    // Empty when the guard cannot be started; why is logged.
    static std::unique_ptr<GammaGuardProcess> start(const QString& guardProgram,
                                                    const QString& markerPath);
    // Closes the pipe: the guard looks at the marker and ends; it is waited for briefly.
    ~GammaGuardProcess() override;

    pid_t pid() const { return m_pid; }

private:
    GammaGuardProcess(pid_t pid, int pipe) : m_pid(pid), m_pipe(pipe) {}

    pid_t m_pid;
    int m_pipe;
};
