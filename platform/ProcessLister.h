#pragma once

#include <QString>
#include <QStringList>

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
};

// Distinct "name-session" texts in order of first appearance, each preceded by one blank.
QString processListLine(const QList<ProcessEntry>& processes);
