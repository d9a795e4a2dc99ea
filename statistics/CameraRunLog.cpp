#include "CameraRunLog.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

namespace {

const QString kDataKey = QStringLiteral("data");
const QString kKindKey = QStringLiteral("kind");
const QString kStartKey = QStringLiteral("start");
const QString kEndKey = QStringLiteral("end");
const QString kFramesKey = QStringLiteral("frames");
const QString kEndingKey = QStringLiteral("ended");

constexpr Feature kKinds[] = {FeatureFreeCamera, FeatureInteractiveTraining, FeatureMeasurement};
constexpr CameraRunEnd kEndings[] = {CameraRunEnd::Finished, CameraRunEnd::NoFace,
                                     CameraRunEnd::Error, CameraRunEnd::Stopped};

QJsonObject toJson(const CameraRun& run)
{
    QJsonObject object;
    object.insert(kKindKey, cameraRunKindName(run.kind));
    object.insert(kStartKey, run.start.toString(Qt::ISODateWithMs));
    object.insert(kEndKey, run.end.toString(Qt::ISODateWithMs));
    object.insert(kFramesKey, static_cast<double>(run.frames));
    object.insert(kEndingKey, cameraRunEndName(run.ending));
    return object;
}

// A run with a name or time this program did not write is skipped, not guessed at.
bool fromJson(const QJsonObject& object, CameraRun& run)
{
    const QString kind = object.value(kKindKey).toString();
    const auto knownKind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                        [&](Feature k) { return cameraRunKindName(k) == kind; });
    const QString ending = object.value(kEndingKey).toString();
    const auto knownEnding =
        std::find_if(std::begin(kEndings), std::end(kEndings),
                     [&](CameraRunEnd e) { return cameraRunEndName(e) == ending; });
    run.start = QDateTime::fromString(object.value(kStartKey).toString(), Qt::ISODateWithMs);
    run.end = QDateTime::fromString(object.value(kEndKey).toString(), Qt::ISODateWithMs);
    const double frames = object.value(kFramesKey).toDouble(-1);
    if (knownKind == std::end(kKinds) || knownEnding == std::end(kEndings) ||
        !run.start.isValid() || !run.end.isValid() || run.end < run.start || frames < 0) {
        return false;
    }
    run.kind = *knownKind;
    run.ending = *knownEnding;
    run.frames = static_cast<quint64>(frames);
    run.start = run.start.toUTC();
    run.end = run.end.toUTC();
    return true;
}

// The part of the run that lies at or after from.
qint64 msSince(const CameraRun& run, const QDateTime& from)
{
    const QDateTime start = std::max(run.start, from);
    return run.end > start ? start.msecsTo(run.end) : 0;
}

} // namespace

CameraRunLog::CameraRunLog(QString path) : m_file(std::move(path))
{
}

void CameraRunLog::load(const QDateTime& nowUtc)
{
    m_runs.clear();
    m_writesBlocked = false;
    const MeasurementFile::ReadResult read = m_file.read();
    if (read.status == MeasurementFile::ReadStatus::Unreadable) {
        qWarning().noquote() << "CameraRunLog: camera record" << path()
                             << "cannot be read:" << read.error << "- left as it is";
        m_writesBlocked = true;
        return;
    }
    if (read.status == MeasurementFile::ReadStatus::Missing || read.content.trimmed().isEmpty()) {
        return;
    }
    const MeasurementFile::ParseResult parsed = MeasurementFile::parse(read.content);
    if (!parsed.usable) {
        const QString aside = m_file.setAside();
        if (aside.isEmpty()) {
            qWarning().noquote() << "CameraRunLog: damaged camera record" << path() << "("
                                 << parsed.problem
                                 << ") cannot be set aside; nothing will be written over it";
            m_writesBlocked = true;
        } else {
            qWarning().noquote() << "CameraRunLog: damaged camera record (" << parsed.problem
                                 << ") set aside as" << aside;
        }
        return;
    }
    int skipped = 0;
    for (const QJsonValue& value : parsed.root.value(kDataKey).toArray()) {
        CameraRun run;
        if (fromJson(value.toObject(), run)) {
            m_runs.append(run);
        } else {
            ++skipped;
        }
    }
    if (skipped > 0) {
        qWarning() << "CameraRunLog: skipped" << skipped << "unreadable runs in" << path();
    }
    std::stable_sort(m_runs.begin(), m_runs.end(),
                     [](const CameraRun& a, const CameraRun& b) { return a.end < b.end; });
    prune(nowUtc);
}

void CameraRunLog::add(const CameraRunReport& report, const QDateTime& endUtc)
{
    CameraRun run;
    run.kind = report.kind;
    run.end = endUtc.toUTC();
    run.start = run.end.addMSecs(-std::max<qint64>(0, report.cameraMs));
    run.frames = report.frames;
    run.ending = report.ending;
    m_runs.append(run);
    qDebug().noquote() << "CameraRunLog: camera run" << cameraRunKindName(run.kind) << "of"
                       << run.cameraMs() << "ms," << run.frames << "frames,"
                       << cameraRunEndName(run.ending);
    prune(run.end);
    write();
}

void CameraRunLog::prune(const QDateTime& nowUtc)
{
    const QDateTime oldest = nowUtc.addDays(-kKeptDays);
    const auto kept = std::find_if(m_runs.begin(), m_runs.end(),
                                   [&](const CameraRun& run) { return run.end >= oldest; });
    m_runs.erase(m_runs.begin(), kept);
}

void CameraRunLog::write()
{
    if (m_writesBlocked) {
        return;
    }
    QJsonArray data;
    for (const CameraRun& run : m_runs) {
        data.append(toJson(run));
    }
    m_file.reset(QJsonObject{{kDataKey, data}});
    const MeasurementFile::WriteResult written = m_file.write();
    if (!written.ok()) {
        qWarning().noquote() << "CameraRunLog: camera record" << path()
                             << "cannot be written:" << written.error;
    }
}

CameraTimeSummary CameraRunLog::summary(const QDateTime& nowUtc, Qt::DayOfWeek firstDayOfWeek) const
{
    const QDateTime nowLocal = nowUtc.toLocalTime();
    const QDate today = nowLocal.date();
    const int daysIntoWeek = (today.dayOfWeek() - firstDayOfWeek + 7) % 7;
    const QDateTime dayStart = QDateTime(today, QTime(0, 0)).toUTC();
    const QDateTime weekStart = QDateTime(today.addDays(-daysIntoWeek), QTime(0, 0)).toUTC();
    CameraTimeSummary summary;
    for (const CameraRun& run : m_runs) {
        summary.todayMs += msSince(run, dayStart);
        summary.weekMs += msSince(run, weekStart);
    }
    for (int i = m_runs.size() - 1; i >= 0 && summary.lastRuns.size() < kLastRunsShown; --i) {
        summary.lastRuns.append(m_runs.at(i));
    }
    return summary;
}
