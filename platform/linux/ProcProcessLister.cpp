#include "ProcProcessLister.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <memory>
#include <unistd.h>
#include <utility>

// Plain system calls rather than QFile and QFileInfo: the pause check lists every process once a
// second, and the per-file overhead of the Qt classes is most of that cost.
namespace {

// The longest name comm holds; longer names are cut to it.
constexpr int commLength = 15;

struct DirCloser
{
    void operator()(DIR* dir) const { closedir(dir); }
};

QByteArray readAt(int dirFd, const QByteArray& path)
{
    const int fd = openat(dirFd, path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    QByteArray data(4096, Qt::Uninitialized);
    ssize_t count = 0;
    do {
        count = read(fd, data.data(), data.size());
    } while (count < 0 && errno == EINTR);
    close(fd);
    data.resize(count > 0 ? static_cast<int>(count) : 0);
    return data;
}

QString baseName(const QByteArray& path)
{
    return QString::fromUtf8(path.mid(path.lastIndexOf('/') + 1));
}

QByteArray exeTarget(int procFd, const QByteArray& pid)
{
    char buffer[4096];
    const ssize_t count = readlinkat(procFd, (pid + "/exe").constData(), buffer, sizeof buffer);
    if (count <= 0) {
        return {};
    }
    QByteArray target(buffer, static_cast<int>(count));
    // A binary replaced while it runs (a package upgrade) reads "<path> (deleted)".
    static const QByteArray deleted(" (deleted)");
    if (target.endsWith(deleted)) {
        target.chop(deleted.size());
    }
    return target;
}

QString processName(int procFd, const QByteArray& pid)
{
    const QByteArray exe = exeTarget(procFd, pid);
    if (!exe.isEmpty()) {
        return baseName(exe);
    }
    QByteArray comm = readAt(procFd, pid + "/comm");
    if (comm.endsWith('\n')) {
        comm.chop(1);
    }
    QString argv0;
    if (comm.isEmpty() || comm.size() >= commLength) {
        const QByteArray cmdline = readAt(procFd, pid + "/cmdline");
        const int end = cmdline.indexOf('\0');
        argv0 = baseName(end < 0 ? cmdline : cmdline.left(end));
    }
    const QString name = QString::fromUtf8(comm);
    if (name.isEmpty() || (name.size() >= commLength && argv0.startsWith(name))) {
        return argv0;
    }
    return name;
}

// stat is "pid (comm) state ppid pgrp session ..."; comm may hold blanks and parentheses, so
// the fields are counted from its last ")".
qint64 processSession(int procFd, const QByteArray& pid)
{
    const QByteArray stat = readAt(procFd, pid + "/stat");
    const int close = stat.lastIndexOf(')');
    if (close < 0) {
        return 0;
    }
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    return fields.size() > 3 ? fields.at(3).toLongLong() : 0;
}

// Calls visit(procFd, pidText, pid) for every numeric folder of root.
template <typename Visit> void forEachProcess(const QString& root, Visit visit)
{
    const std::unique_ptr<DIR, DirCloser> dir(opendir(QFile::encodeName(root).constData()));
    if (!dir) {
        return;
    }
    const int procFd = dirfd(dir.get());
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArray text(entry->d_name);
        bool isPid = false;
        const qint64 pid = text.toLongLong(&isPid);
        if (isPid) {
            visit(procFd, text, pid);
        }
    }
}

} // namespace

ProcProcessLister::ProcProcessLister(QString procRoot) : m_procRoot(std::move(procRoot))
{
}

QList<ProcessEntry> ProcProcessLister::runningProcesses() const
{
    QList<std::pair<qint64, ProcessEntry>> found;
    forEachProcess(m_procRoot, [&found](int procFd, const QByteArray& text, qint64 pid) {
        const QString name = processName(procFd, text);
        if (!name.isEmpty()) {
            found.append({pid, ProcessEntry{name, processSession(procFd, text)}});
        }
    });
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<ProcessEntry> processes;
    for (const auto& item : found) {
        processes.append(item.second);
    }
    return processes;
}

QStringList ProcProcessLister::runningProcessNames() const
{
    const quint64 call = ++m_calls;
    QStringList names;
    forEachProcess(m_procRoot, [this, call, &names](int procFd, const QByteArray& text,
                                                    qint64 pid) {
        KnownName& known = m_known[pid];
        if (known.reads < 2 || static_cast<quint64>(pid) % refreshPeriod == call % refreshPeriod) {
            known.name = processName(procFd, text);
            ++known.reads;
        }
        known.seen = call;
        if (!known.name.isEmpty()) {
            names.append(known.name);
        }
    });
    // A process that is gone is forgotten, so that a new one given its id is read afresh.
    for (auto it = m_known.begin(); it != m_known.end();) {
        it = it->seen == call ? std::next(it) : m_known.erase(it);
    }
    return names;
}

std::unique_ptr<ProcessLister> createProcessLister()
{
    return std::make_unique<ProcProcessLister>();
}
