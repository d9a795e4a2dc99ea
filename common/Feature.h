#pragma once

#include <QMetaType>
#include <QString>

// What occupies the user or the camera; carried by webcamActivated(Feature).
enum Feature
{
    FeatureBreak = 0,
    FeatureExercise = 1,
    FeatureFreeCamera = 2,
    FeatureTraining = 3,
    FeatureInteractiveTraining = 4,
    FeatureMeasurement = 5,
    FeaturePresence = 6 // a short look for a face: is the user at the screen?
};

// The text that logs name each value by; anything unknown is "unspecified".
QString featureName(int feature);

Q_DECLARE_METATYPE(Feature)
