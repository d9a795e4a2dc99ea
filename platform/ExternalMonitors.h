#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// External monitors whose brightness can be read and set over DDC/CI (VCP feature 0x10).
class ExternalMonitors
{
public:
    enum class Status
    {
        Ok,
        TransmissionError, // the bus failed; the monitor may still answer later
        InvalidReply,      // the monitor answered something that is not a valid DDC/CI reply
        MonitorGone,       // the monitor is no longer there: detect again
        Failed,            // anything else, the library missing included
    };
    struct Brightness
    {
        unsigned minimum = 0;
        unsigned current = 0;
        unsigned maximum = 0;
    };

    virtual ~ExternalMonitors() = default;

    // Finds the monitors (at most 10) and returns their descriptions; indexes below refer to
    // this list until the next detect().
    virtual QStringList detect() = 0;
    virtual Status readBrightness(int index, Brightness& brightness) = 0;
    virtual Status setBrightness(int index, unsigned value) = 0;
    // What went wrong in the last call that did not return Ok, for the log.
    virtual QString lastError() const = 0;
};

std::unique_ptr<ExternalMonitors> createExternalMonitors();
