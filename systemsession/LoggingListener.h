#pragma once

#include "EventFilter.h"

namespace SystemSession {

// Stands in where the system offers nothing to listen to: it takes every request, says so in
// the log, and reports nothing.
class LoggingListener : public EventFilter
{
    Q_OBJECT

public:
    using EventFilter::EventFilter;

public slots:
    void checkBatteryStatus() override;
    void checkPowerSaverStatus() override;
    void checkDisplayTopology() override;
    void enableWindowTitleCheck(bool enabled) override;
    void enablePauseAppWindowTitleCheck(bool enabled) override;
    void enableProcessCheck(bool enabled) override;
    void setWindowTitles(QString titles) override;
    void setPauseAppWindowTitles(QString titles) override;
    void setProcesses(QString processes) override;

protected slots:
    void checkProcessesAndWindowsTitles() override;
};

} // namespace SystemSession
