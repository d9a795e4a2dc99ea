#include "CrashReporter.h"

#include "common/Version.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr const char* kVersion = kWinkwellVersion;

// Everything the handler needs is prepared up front: a signal handler may not allocate.
char g_reportPrefix[4096];
char g_programPath[1024];
char g_stderrLogPath[1024];
char g_alternateStack[64 * 1024];

void appendText(char* buffer, size_t size, size_t& used, const char* text)
{
    while (*text && used + 1 < size) {
        buffer[used++] = *text++;
    }
    buffer[used] = '\0';
}

void appendNumber(char* buffer, size_t size, size_t& used, unsigned long long value)
{
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value && count < 23);
    while (count > 0 && used + 1 < size) {
        buffer[used++] = digits[--count];
    }
    buffer[used] = '\0';
}

const char* signalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGABRT:
        return "SIGABRT";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    default:
        return "signal";
    }
}

void writeAll(int fd, const char* text, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, text, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text += written;
        length -= static_cast<size_t>(written);
    }
}

void writeText(int fd, const char* text)
{
    writeAll(fd, text, std::strlen(text));
}

void crashHandler(int signal)
{
    const int savedErrno = errno;
    const unsigned long long now = static_cast<unsigned long long>(std::time(nullptr));
    char path[sizeof g_reportPrefix + 64];
    size_t used = 0;
    appendText(path, sizeof path, used, g_reportPrefix);
    appendNumber(path, sizeof path, used, now);
    appendText(path, sizeof path, used, "-");
    appendNumber(path, sizeof path, used, static_cast<unsigned long long>(::getpid()));
    appendText(path, sizeof path, used, ".txt");

    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        char header[512];
        size_t length = 0;
        appendText(header, sizeof header, length, "signal ");
        appendNumber(header, sizeof header, length, static_cast<unsigned long long>(signal));
        appendText(header, sizeof header, length, " ");
        appendText(header, sizeof header, length, signalName(signal));
        appendText(header, sizeof header, length, "\ntime ");
        appendNumber(header, sizeof header, length, now);
        appendText(header, sizeof header, length, " (seconds since 1970, UTC)\nversion ");
        appendText(header, sizeof header, length, kVersion);
        appendText(header, sizeof header, length, "\nprogram ");
        writeText(fd, header);
        writeText(fd, g_programPath);
        writeText(fd, "\nstderr log ");
        writeText(fd, g_stderrLogPath);
        writeText(fd, "\nbacktrace:\n");
        void* frames[64];
        const int count = ::backtrace(frames, 64);
        ::backtrace_symbols_fd(frames, count, fd);
        ::close(fd);
    }
    errno = savedErrno;
    // The handler was installed with SA_RESETHAND: re-raising ends the process as the signal
    // would have, with its core dump and exit status.
    ::raise(signal);
}

bool copyInto(char* target, size_t size, const QByteArray& text)
{
    if (static_cast<size_t>(text.size()) + 1 > size) {
        return false;
    }
    std::memcpy(target, text.constData(), static_cast<size_t>(text.size()));
    target[text.size()] = '\0';
    return true;
}

} // namespace

bool startCrashReporter(const QString& dumpFolder, const QString& programPath,
                        const QString& stderrLogPath)
{
    if (!QDir().mkpath(dumpFolder)) {
        qDebug() << "crash reports disabled: no dump folder" << dumpFolder;
        return false;
    }
    const QByteArray prefix = QFile::encodeName(QDir(dumpFolder).absolutePath() + "/crash-");
    if (!copyInto(g_reportPrefix, sizeof g_reportPrefix, prefix)) {
        qDebug() << "crash reports disabled: dump folder path too long" << dumpFolder;
        return false;
    }
    copyInto(g_programPath, sizeof g_programPath, QFile::encodeName(programPath).left(1000));
    copyInto(g_stderrLogPath, sizeof g_stderrLogPath, QFile::encodeName(stderrLogPath).left(1000));

    // backtrace() loads its unwinder on first use, which may allocate: do that now.
    void* frame[1];
    ::backtrace(frame, 1);

    // A stack overflow leaves no stack to run the handler on.
    stack_t stack{};
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof g_alternateStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action
    {
    };
    action.sa_handler = crashHandler;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    bool ok = true;
    for (int signal : kFatalSignals) {
        ok = ::sigaction(signal, &action, nullptr) == 0 && ok;
    }
    qDebug() << "crash reports go to" << dumpFolder;
    return ok;
}

QStringList takeUnreportedCrashReports(const QString& dumpFolder)
{
    QDir dir(dumpFolder);
    QStringList reports;
    const QStringList names =
        dir.entryList({QStringLiteral("crash-*.txt")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        if (name.endsWith(QStringLiteral(".reported.txt"))) {
            continue;
        }
        QString reported = name;
        reported.replace(reported.size() - 4, 4, QStringLiteral(".reported.txt"));
        dir.rename(name, reported);
        reports << dir.absoluteFilePath(reported);
    }
    return reports;
}
