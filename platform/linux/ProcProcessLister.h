#pragma once

#include "platform/ProcessLister.h"

// Reads /proc (or a tree laid out like it): the name is the basename of exe where it can be
// read, else comm, else argv[0]; the session is field 6 of stat.
class ProcProcessLister : public ProcessLister
{
public:
    explicit ProcProcessLister(QString procRoot = QStringLiteral("/proc"));
    QList<ProcessEntry> runningProcesses() const override;

private:
    QString m_procRoot;
};
