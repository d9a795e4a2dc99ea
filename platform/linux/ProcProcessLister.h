#pragma once

#include "platform/ProcessLister.h"

// Reads /proc (or a tree laid out like it). The name is the basename of exe where it can be read
// (the user's own processes); else comm, completed from argv[0] where the kernel cut it short;
// else argv[0]. The session is field 6 of stat.
class ProcProcessLister : public ProcessLister
{
public:
    explicit ProcProcessLister(QString procRoot = QStringLiteral("/proc"));
    QList<ProcessEntry> runningProcesses() const override;
    QStringList runningProcessNames() const override;

private:
    QString m_procRoot;
};
