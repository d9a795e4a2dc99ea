#pragma once

#include "platform/DisplayMonitor.h"

// A layout as a test sets it; a test reports changes by emitting the signals itself.
class FakeDisplayMonitor : public DisplayMonitor
{
public:
    std::optional<QList<ActiveOutput>> outputs = QList<ActiveOutput>{};

    std::optional<QList<ActiveOutput>> activeOutputs() override { return outputs; }
};
