#pragma once

#include <QString>

// The choices that a measurement's note records.
struct FeatureSettings
{
    bool screenControlEnabled = false;
    int colorTemperature = 66; // hundreds of kelvin
    int brightnessSlider = -1;
    bool trainingEnabled = false;
    int blinkReminderPeriodMs = 30000;
    bool interactiveReminder = false;
    bool mgdEnabled = false;
    bool exercisesEnabled = false;
    bool breaksEnabled = false;
    int breakPeriodMinutes = 50;
    bool includeNaturalBreaks = false;
    uint naturalBreakDurationMinutes = 3;
};

// The note stored with each measurement, e.g. "Train;TrainPeriod30;Break;BreakPeriod50;"; empty
// when nothing is on.
QString settingsSummary(const FeatureSettings& settings);
