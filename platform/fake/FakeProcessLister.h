#pragma once

#include "platform/ProcessLister.h"

class FakeProcessLister : public ProcessLister
{
public:
    QList<ProcessEntry> processes;
    mutable int reads = 0;

    QList<ProcessEntry> runningProcesses() const override
    {
        ++reads;
        return processes;
    }
};
