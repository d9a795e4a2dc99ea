// Prints the CPU time the system listener costs per 1000 ms tick with every check on: the
// process check over /proc and both window-title checks over the X window list.
//
// Run it on an X display with a window manager (run-bench-session.sh starts Xvfb and openbox).
// It tops /proc up to --processes entries with sleeping children of its own and opens --windows
// windows, then measures the process's CPU time (all threads) over --seconds of
// idle event loop twice, with the checks on and with them off, and times the check itself
// directly on this thread. CPU times come from the kernel's per-thread run-time clocks.
#include "systemsession/EventFilter.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

double cpuMs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

int processCount()
{
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return static_cast<int>(std::count_if(entries.cbegin(), entries.cend(), [](const QString& e) {
        bool number = false;
        e.toLongLong(&number);
        return number;
    }));
}

// Sleeping children that make up the process count; ended by their ids.
class Sleepers
{
public:
    Sleepers() = default;
    ~Sleepers()
    {
        for (const pid_t pid : m_pids) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    Sleepers(const Sleepers&) = delete;
    Sleepers& operator=(const Sleepers&) = delete;

    // Adds sleepers until /proc holds wanted processes; returns how many it holds.
    int topUp(int wanted)
    {
        char program[] = "sleep";
        char seconds[] = "600";
        char* argv[] = {program, seconds, nullptr};
        for (int count = processCount(); count < wanted; ++count) {
            pid_t pid = 0;
            if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) == 0) {
                m_pids.push_back(pid);
            }
        }
        return processCount();
    }

private:
    std::vector<pid_t> m_pids;
};

struct IdleCpu
{
    double process = 0;   // all threads
    double interface = 0; // this one, where the listener runs
};

// CPU time over an idle event loop of the given length.
IdleCpu idleCpuMs(int seconds)
{
    const IdleCpu start{cpuMs(CLOCK_PROCESS_CPUTIME_ID), cpuMs(CLOCK_THREAD_CPUTIME_ID)};
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return {cpuMs(CLOCK_PROCESS_CPUTIME_ID) - start.process,
            cpuMs(CLOCK_THREAD_CPUTIME_ID) - start.interface};
}

// Median thread CPU time of one direct check.
double checkCpuMs(SystemSession::EventFilter* listener, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        QMetaObject::invokeMethod(listener, "checkProcessesAndWindowsTitles");
        times.push_back(cpuMs(CLOCK_THREAD_CPUTIME_ID) - start);
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times.at(static_cast<size_t>(runs / 2));
}

void enableChecks(SystemSession::EventFilter* listener, bool processes, bool titles)
{
    listener->enableProcessCheck(processes);
    listener->enableWindowTitleCheck(titles);
    listener->enablePauseAppWindowTitleCheck(titles);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"processes", "Processes in /proc at least.", "n", "300"});
    parser.addOption({"windows", "Windows to open.", "n", "40"});
    parser.addOption({"seconds", "Length of each idle measurement.", "s", "20"});
    parser.process(application);
    const int seconds = parser.value("seconds").toInt();

    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    Sleepers sleepers;
    std::vector<std::unique_ptr<QWindow>> windows;
    for (int i = 0; i < parser.value("windows").toInt(); ++i) {
        windows.push_back(std::make_unique<QWindow>());
        windows.back()->setTitle(QStringLiteral("Report %1.odt - LibreOffice Writer").arg(i));
        windows.back()->resize(300, 200);
        windows.back()->show();
    }
    idleCpuMs(2); // let the window manager take the windows
    const int processes = sleepers.topUp(parser.value("processes").toInt());

    const std::unique_ptr<SystemSession::EventFilter> listener =
        SystemSession::createSystemListener();
    // Lists that match nothing: every tick walks everything.
    listener->setProcesses(QStringLiteral("zoom;teams;obs;skype;discord;webex"));
    listener->setWindowTitles(QStringLiteral("zoom;meet;webex"));
    listener->setPauseAppWindowTitles(QStringLiteral("presentation;slideshow;full screen"));

    enableChecks(listener.get(), true, true);
    const double processCheckMs = [&] {
        enableChecks(listener.get(), true, false);
        return checkCpuMs(listener.get(), 200);
    }();
    const double titleCheckMs = [&] {
        enableChecks(listener.get(), false, true);
        return checkCpuMs(listener.get(), 200);
    }();
    enableChecks(listener.get(), true, true);
    const double allChecksMs = checkCpuMs(listener.get(), 200);

    idleCpuMs(2);
    const IdleCpu on = idleCpuMs(seconds);
    enableChecks(listener.get(), false, false);
    const IdleCpu off = idleCpuMs(seconds);

    std::printf("processes in /proc: %d, windows: %zu, X display %s\n", processes, windows.size(),
                qgetenv("DISPLAY").constData());
    std::printf("one check, this thread's CPU time (median of 200):\n");
    std::printf("  process check        %.3f ms\n", processCheckMs);
    std::printf("  both title checks    %.3f ms\n", titleCheckMs);
    std::printf("  all three            %.3f ms\n", allChecksMs);
    std::printf(
        "idle, CPU time per 1000 ms over %d s:   process (all threads)   interface thread\n",
        seconds);
    std::printf("  checks on                              %8.3f ms          %8.3f ms\n",
                on.process / seconds, on.interface / seconds);
    std::printf("  checks off                             %8.3f ms          %8.3f ms\n",
                off.process / seconds, off.interface / seconds);
    std::printf("listener's idle cost: %.3f ms of CPU per 1000 ms tick (process, on less off)\n",
                (on.process - off.process) / seconds);
    return 0;
}
