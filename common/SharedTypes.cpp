#include "SharedTypes.h"

#include "CameraRun.h"
#include "Error.h"
#include "Feature.h"

#include <QDateTime>
#include <QVector>

QString errorName(int error)
{
    switch (error) {
    case ErrorMissingData:
        return QStringLiteral("low memory or data.dat missing");
    case ErrorCameraOccupied:
        return QStringLiteral("camera occupied");
    case ErrorLowFps:
        return QStringLiteral("low fps");
    case ErrorNoFace:
        return QStringLiteral("no face");
    case ErrorMoreFaces:
        return QStringLiteral("more than one face");
    case ErrorEmptyFrame:
        return QStringLiteral("empty frame");
    case ErrorUnused:
        return QStringLiteral("not used");
    case ErrorNoCamera:
        return QStringLiteral("no camera connected");
    default:
        return QStringLiteral("no error");
    }
}

QString featureName(int feature)
{
    switch (feature) {
    case FeatureBreak:
        return QStringLiteral("break");
    case FeatureExercise:
        return QStringLiteral("exercise");
    case FeatureFreeCamera:
        return QStringLiteral("free camera");
    case FeatureTraining:
        return QStringLiteral("training");
    case FeatureInteractiveTraining:
        return QStringLiteral("interactive training");
    case FeatureMeasurement:
        return QStringLiteral("measurement");
    case FeaturePresence:
        return QStringLiteral("presence");
    default:
        return QStringLiteral("unspecified");
    }
}

QString cameraRunKindName(Feature kind)
{
    switch (kind) {
    case FeatureFreeCamera:
        return QStringLiteral("preview");
    case FeatureInteractiveTraining:
        return QStringLiteral("interactive training");
    case FeatureMeasurement:
        return QStringLiteral("measurement");
    default:
        return featureName(kind);
    }
}

QString cameraRunEndName(CameraRunEnd ending)
{
    switch (ending) {
    case CameraRunEnd::Finished:
        return QStringLiteral("finished");
    case CameraRunEnd::NoFace:
        return QStringLiteral("no face");
    case CameraRunEnd::Error:
        return QStringLiteral("error");
    case CameraRunEnd::Stopped:
        return QStringLiteral("stopped");
    }
    return QStringLiteral("error");
}

void registerSharedTypes()
{
    qRegisterMetaType<QVector<double>>("QVector<double>");
    qRegisterMetaType<QVector<QString>>("QVector<QString>");
    qRegisterMetaType<QVector<QDateTime>>("QVector<QDateTime>");
    qRegisterMetaType<Feature>("Feature");
    qRegisterMetaType<Error>("Error");
    qRegisterMetaType<QVector<uint>>("QVector<uint>");
    qRegisterMetaType<QVector<int>>("QVector<int>");
    qRegisterMetaType<QString*>("QString*");
    qRegisterMetaType<CameraRunReport>("CameraRunReport");
    qRegisterMetaType<CameraTimeSummary>("CameraTimeSummary");
}
