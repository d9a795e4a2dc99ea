#include "GammaGuardProcess.h"

#include "platform/ExecutablePath.h"
#include "platform/linux/RandrScreenGamma.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

std::unique_ptr<GammaGuardProcess> GammaGuardProcess::start(const QString& guardProgram,
                                                            const QString& markerPath)
{
    if (!QFileInfo(guardProgram).isExecutable()) {
        qWarning().noquote() << "gamma guard:" << guardProgram
                             << "is missing: a crash may leave the screen dimmed until the next "
                                "start";
        return nullptr;
    }
    int ends[2];
    // Close-on-exec: no other child of this program may hold the guard's pipe open.
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        qWarning() << "gamma guard: no pipe:" << std::strerror(errno);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

    const QByteArray program = QFile::encodeName(guardProgram);
    const QByteArray marker = QFile::encodeName(markerPath);
    char* arguments[] = {const_cast<char*>(program.constData()),
                         const_cast<char*>(marker.constData()), nullptr};
    pid_t pid = -1;
    const int failed =
        posix_spawn(&pid, program.constData(), &actions, &attributes, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(ends[0]);
    if (failed != 0) {
        ::close(ends[1]);
        qWarning().noquote() << "gamma guard:" << guardProgram
                             << "cannot be started:" << std::strerror(failed);
        return nullptr;
    }
    qDebug() << "gamma guard started, pid" << pid;
    return std::unique_ptr<GammaGuardProcess>(new GammaGuardProcess(pid, ends[1]));
}

GammaGuardProcess::~GammaGuardProcess()
{
    ::close(m_pipe);
    // It only looks at a file; a guard that takes longer is left to end on its own.
    for (int i = 0; i < 50; ++i) {
        const pid_t done = ::waitpid(m_pid, nullptr, WNOHANG);
        if (done == m_pid || (done < 0 && errno != EINTR)) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::unique_ptr<ScreenGammaGuard> startScreenGammaGuard(const QString& markerPath)
{
    if (QFile::exists(markerPath)) {
        // Before anything else of this start: the screen comes back while the rest loads.
        RandrScreenGamma leftBehind(markerPath);
    }
    const QString guard =
        QFileInfo(currentExecutablePath()).absolutePath() + QStringLiteral("/winkwell-gamma-guard");
    return GammaGuardProcess::start(guard, markerPath);
}
