#pragma once

#include "common/Feature.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVector>

// How a camera run ended.
enum class CameraRunEnd
{
    Finished, // the run did what it was for
    NoFace,
    Error,
    Stopped // asked to stop: a pause, the user, the program's end
};

// What the engine tells of a run once its camera is released. The receiver stamps the time.
struct CameraRunReport
{
    Feature kind = FeatureFreeCamera; // the preview runs as the free camera
    qint64 cameraMs = 0;              // from the camera's first frame to its release
    quint64 frames = 0;
    CameraRunEnd ending = CameraRunEnd::Finished;
};

// One run as the record keeps it; times in UTC.
struct CameraRun
{
    Feature kind = FeatureFreeCamera;
    QDateTime start;
    QDateTime end;
    quint64 frames = 0;
    CameraRunEnd ending = CameraRunEnd::Finished;

    qint64 cameraMs() const { return start.msecsTo(end); }
};

// What the about page shows of the record.
struct CameraTimeSummary
{
    qint64 todayMs = 0;
    qint64 weekMs = 0;
    QVector<CameraRun> lastRuns; // newest first
};

// The words the record file and the log use.
QString cameraRunKindName(Feature kind);
QString cameraRunEndName(CameraRunEnd ending);

Q_DECLARE_METATYPE(CameraRunReport)
Q_DECLARE_METATYPE(CameraTimeSummary)
