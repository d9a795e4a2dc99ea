#pragma once

#include "systemsession/EventFilter.h"

#include <QStringList>

// A listener a test drives: fire(code) reports an event; requests are recorded.
class FakeSystemListener : public SystemSession::EventFilter
{
    Q_OBJECT

public:
    QStringList requests;

    void fire(int status) { emit sessionChangeDetected(status); }

public slots:
    void checkBatteryStatus() override { requests << "checkBatteryStatus"; }
    void checkPowerSaverStatus() override { requests << "checkPowerSaverStatus"; }
    void checkDisplayTopology() override { requests << "checkDisplayTopology"; }
    void enableWindowTitleCheck(bool on) override { record("enableWindowTitleCheck", on); }
    void enablePauseAppWindowTitleCheck(bool on) override
    {
        record("enablePauseAppWindowTitleCheck", on);
    }
    void enableProcessCheck(bool on) override { record("enableProcessCheck", on); }
    void setWindowTitles(QString titles) override { requests << "setWindowTitles " + titles; }
    void setPauseAppWindowTitles(QString titles) override
    {
        requests << "setPauseAppWindowTitles " + titles;
    }
    void setProcesses(QString processes) override { requests << "setProcesses " + processes; }
    void setCallWindowTitles(QString titles) override
    {
        requests << "setCallWindowTitles " + titles;
    }

protected slots:
    void checkProcessesAndWindowsTitles() override {}

private:
    void record(const char* name, bool on)
    {
        requests << QString::fromLatin1(name) + (on ? " on" : " off");
    }
};
