#include "controller/SettingsSummary.h"

QString settingsSummary(const FeatureSettings& s)
{
    QString text;
    if (s.screenControlEnabled) {
        text += QStringLiteral("Screen;Temp%1;Brightness%2;")
                    .arg(s.colorTemperature)
                    .arg(s.brightnessSlider);
    }
    if (s.trainingEnabled) {
        text += QStringLiteral("Train;TrainPeriod%1;").arg(s.blinkReminderPeriodMs / 1000);
        if (s.interactiveReminder) {
            text += QStringLiteral("Interact;");
        }
        if (s.mgdEnabled) {
            text += QStringLiteral("MGD;");
        }
    }
    if (s.exercisesEnabled) {
        text += QStringLiteral("Exer;");
    }
    if (s.breaksEnabled) {
        text += QStringLiteral("Break;BreakPeriod%1;").arg(s.breakPeriodMinutes);
    }
    if (s.includeNaturalBreaks) {
        text += QStringLiteral("IncludeNatBreak;NatBreakDuration%1;")
                    .arg(s.naturalBreakDurationMinutes);
    }
    return text;
}
