#pragma once

#include "platform/ExternalMonitors.h"

#include <QList>
#include <QPair>

// Monitors as a test plugs them in. Scripted statuses are used up one per call, oldest first;
// with none left a call succeeds.
class FakeExternalMonitors : public ExternalMonitors
{
public:
    struct Monitor
    {
        QString name;
        Brightness brightness;
    };
    QList<Monitor> monitors;
    QList<Status> readScript;
    QList<Status> setScript;
    QList<QPair<int, unsigned>> setCalls; // index and value of every set, failed ones too
    int detections = 0;

    QStringList detect() override
    {
        ++detections;
        QStringList names;
        for (const Monitor& monitor : qAsConst(monitors)) {
            names.append(monitor.name);
        }
        return names;
    }
    Status readBrightness(int index, Brightness& brightness) override
    {
        const Status status = next(readScript, index);
        if (status == Status::Ok) {
            brightness = monitors.at(index).brightness;
        }
        return status;
    }
    Status setBrightness(int index, unsigned value) override
    {
        setCalls.append({index, value});
        const Status status = next(setScript, index);
        if (status == Status::Ok) {
            monitors[index].brightness.current = value;
        }
        return status;
    }
    QString lastError() const override { return m_lastError; }

private:
    Status next(QList<Status>& script, int index)
    {
        Status status = script.isEmpty() ? Status::Ok : script.takeFirst();
        if (index < 0 || index >= monitors.size()) {
            status = Status::Failed;
        }
        m_lastError = status == Status::Ok ? QString() : QStringLiteral("scripted failure");
        return status;
    }

    QString m_lastError;
};
