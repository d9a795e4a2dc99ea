#pragma once

#include "common/CameraRun.h"

#include <QLocale>
#include <QString>

// The about page's account of the camera: today's and this week's camera time and the last
// runs, in the language of locale, as rich text for a label.
QString cameraTimeText(const CameraTimeSummary& summary, const QLocale& locale);
// A camera time as hours, minutes and seconds.
QString cameraDurationText(qint64 ms);
