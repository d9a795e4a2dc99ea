#include "ProcProcessLister.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <utility>

namespace {

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.read(8192);
}

QString processName(const QString& dir)
{
    const QString exe = QFileInfo(dir + QStringLiteral("/exe")).symLinkTarget();
    if (!exe.isEmpty()) {
        return QFileInfo(exe.section(QLatin1Char(' '), 0, 0)).fileName();
    }
    const QByteArray comm = readSmallFile(dir + QStringLiteral("/comm")).trimmed();
    if (!comm.isEmpty()) {
        return QString::fromUtf8(comm);
    }
    const QByteArray cmdline = readSmallFile(dir + QStringLiteral("/cmdline"));
    return QFileInfo(QString::fromUtf8(cmdline.left(cmdline.indexOf('\0')))).fileName();
}

// stat is "pid (comm) state ppid pgrp session ..."; comm may hold blanks and parentheses, so
// the fields are counted from its last ")".
qint64 processSession(const QString& dir)
{
    const QByteArray stat = readSmallFile(dir + QStringLiteral("/stat"));
    const int close = stat.lastIndexOf(')');
    if (close < 0) {
        return 0;
    }
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    return fields.size() > 3 ? fields.at(3).toLongLong() : 0;
}

} // namespace

ProcProcessLister::ProcProcessLister(QString procRoot) : m_procRoot(std::move(procRoot))
{
}

QList<ProcessEntry> ProcProcessLister::runningProcesses() const
{
    QList<std::pair<qint64, ProcessEntry>> found;
    const QStringList entries = QDir(m_procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid) {
            continue;
        }
        const QString dir = m_procRoot + QLatin1Char('/') + entry;
        const QString name = processName(dir);
        if (!name.isEmpty()) {
            found.append({pid, ProcessEntry{name, processSession(dir)}});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<ProcessEntry> processes;
    for (const auto& item : found) {
        processes.append(item.second);
    }
    return processes;
}

std::unique_ptr<ProcessLister> createProcessLister()
{
    return std::make_unique<ProcProcessLister>();
}
