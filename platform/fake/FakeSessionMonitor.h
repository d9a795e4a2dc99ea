#pragma once

#include "platform/SessionMonitor.h"

// A test reports events by emitting the monitor's signals itself.
class FakeSessionMonitor : public SessionMonitor
{
};
