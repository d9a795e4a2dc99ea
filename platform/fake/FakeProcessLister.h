#pragma once

#include "platform/ProcessLister.h"

class FakeProcessLister : public ProcessLister
{
public:
    QList<ProcessEntry> processes;
    QList<ProcessEntry> runningProcesses() const override { return processes; }
};
