#pragma once

#include <QThread>
#include <csignal>
#include <memory>

// Gives the calling thread a stack of its own for signal handlers, so that a stack overflow in
// that thread still runs the crash handler. The previous stack comes back on destruction.
class AlternateSignalStack
{
public:
    AlternateSignalStack();
    ~AlternateSignalStack();
    AlternateSignalStack(const AlternateSignalStack&) = delete;
    AlternateSignalStack& operator=(const AlternateSignalStack&) = delete;

    bool isInstalled() const { return m_installed; }

private:
    std::unique_ptr<char[]> m_memory;
    stack_t m_previous{};
    bool m_installed = false;
};

// A thread whose event loop runs on an alternate signal stack: every thread the program starts
// for its controllers is one.
class CrashReportingThread : public QThread
{
    Q_OBJECT

public:
    using QThread::QThread;

protected:
    void run() override;
};
