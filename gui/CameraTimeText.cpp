#include "CameraTimeText.h"

#include <QCoreApplication>

namespace {

QString kindText(Feature kind)
{
    switch (kind) {
    case FeatureFreeCamera:
        return QCoreApplication::translate("CameraTimeText", "camera test");
    case FeatureInteractiveTraining:
        return QCoreApplication::translate("CameraTimeText", "interactive blink reminder");
    case FeatureMeasurement:
        return QCoreApplication::translate("CameraTimeText", "blink-rate measurement");
    default:
        return QCoreApplication::translate("CameraTimeText", "presence check");
    }
}

QString endingText(CameraRunEnd ending)
{
    switch (ending) {
    case CameraRunEnd::Finished:
        return QCoreApplication::translate("CameraTimeText", "finished");
    case CameraRunEnd::NoFace:
        return QCoreApplication::translate("CameraTimeText", "no face seen");
    case CameraRunEnd::Error:
        return QCoreApplication::translate("CameraTimeText", "camera error");
    case CameraRunEnd::Stopped:
        return QCoreApplication::translate("CameraTimeText", "stopped");
    }
    return QCoreApplication::translate("CameraTimeText", "camera error");
}

} // namespace

QString cameraDurationText(qint64 ms)
{
    const qint64 seconds = (ms + 500) / 1000;
    if (seconds < 60) {
        return QCoreApplication::translate("CameraTimeText", "%1 s").arg(seconds);
    }
    if (seconds < 3600) {
        return QCoreApplication::translate("CameraTimeText", "%1 min %2 s")
            .arg(seconds / 60)
            .arg(seconds % 60);
    }
    return QCoreApplication::translate("CameraTimeText", "%1 h %2 min")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60);
}

QString cameraTimeText(const CameraTimeSummary& summary, const QLocale& locale)
{
    // Rich text, so that a run's line that wraps hangs under its own description and not under
    // the times: the list stays readable in the longer languages.
    QString html =
        QStringLiteral("<p>%1</p>")
            .arg(QCoreApplication::translate("CameraTimeText",
                                             "Camera time today: %1, this week: %2")
                     .arg(cameraDurationText(summary.todayMs), cameraDurationText(summary.weekMs))
                     .toHtmlEscaped());
    if (summary.lastRuns.isEmpty()) {
        return html + QStringLiteral("<p>%1</p>")
                          .arg(QCoreApplication::translate(
                                   "CameraTimeText", "The camera has not run in the last 30 days.")
                                   .toHtmlEscaped());
    }
    html += QStringLiteral("<p>%1</p><table cellspacing=\"0\" cellpadding=\"0\">")
                .arg(QCoreApplication::translate("CameraTimeText", "Last runs:").toHtmlEscaped());
    for (const CameraRun& run : summary.lastRuns) {
        const QString when = locale.toString(run.start.toLocalTime(), QLocale::ShortFormat);
        const QString what = QCoreApplication::translate("CameraTimeText", "%1, %2, %3 frames, %4")
                                 .arg(kindText(run.kind), cameraDurationText(run.cameraMs()),
                                      locale.toString(run.frames), endingText(run.ending));
        html += QStringLiteral("<tr><td nowrap style=\"padding-right:12px\">%1</td>"
                               "<td>%2</td></tr>")
                    .arg(when.toHtmlEscaped(), what.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}
