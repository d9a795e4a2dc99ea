#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// One entry per running process: its executable name and its session, as "name-session".
struct ProcessEntry
{
    QString name;
    qint64 session = 0;
};

class ProcessLister
{
public:
    virtual ~ProcessLister() = default;
    virtual QList<ProcessEntry> runningProcesses() const = 0;
    // The names alone, in no particular order; what a check that runs every second needs.
    virtual QStringList runningProcessNames() const;
};

// The system's process table: /proc on Linux.
std::unique_ptr<ProcessLister> createProcessLister();

// Distinct "name-session" texts in order of first appearance, each preceded by one blank.
QString processListLine(const QList<ProcessEntry>& processes);
