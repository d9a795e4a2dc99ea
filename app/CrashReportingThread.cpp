#include "CrashReportingThread.h"

namespace {
// Room for the handler's own frames and backtrace(); SIGSTKSZ is too small for that.
constexpr size_t kStackSize = size_t{64} * 1024;
} // namespace

AlternateSignalStack::AlternateSignalStack() : m_memory(new char[kStackSize])
{
    stack_t stack{};
    stack.ss_sp = m_memory.get();
    stack.ss_size = kStackSize;
    m_installed = ::sigaltstack(&stack, &m_previous) == 0;
}

AlternateSignalStack::~AlternateSignalStack()
{
    // Handed back before the memory is freed, so a late signal never runs on freed memory.
    if (m_installed) {
        ::sigaltstack(&m_previous, nullptr);
    }
}

void CrashReportingThread::run()
{
    AlternateSignalStack stack;
    exec();
}
