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
const QString kDaysKey = QStringLiteral("days");
const QString kDayKey = QStringLiteral("day");
const QString kCameraMsKey = QStringLiteral("ms");
const QString kRunsKey = QStringLiteral("runs");

constexpr Feature kKinds[] = {FeatureFreeCamera, FeatureInteractiveTraining, FeatureMeasurement,
                              FeaturePresence};
constexpr CameraRunEnd kEndings[] = {CameraRunEnd::Finished, CameraRunEnd::NoFace,
                                     CameraRunEnd::Error, CameraRunEnd::Stopped};

bool kindFromName(const QString& name, Feature& kind)
{
    const auto known = std::find_if(std::begin(kKinds), std::end(kKinds),
                                    [&](Feature k) { return cameraRunKindName(k) == name; });
    if (known == std::end(kKinds)) {
        return false;
    }
    kind = *known;
    return true;
}

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
    const QString ending = object.value(kEndingKey).toString();
    const auto knownEnding =
        std::find_if(std::begin(kEndings), std::end(kEndings),
                     [&](CameraRunEnd e) { return cameraRunEndName(e) == ending; });
    run.start = QDateTime::fromString(object.value(kStartKey).toString(), Qt::ISODateWithMs);
    run.end = QDateTime::fromString(object.value(kEndKey).toString(), Qt::ISODateWithMs);
    const double frames = object.value(kFramesKey).toDouble(-1);
    if (!kindFromName(object.value(kKindKey).toString(), run.kind) ||
        knownEnding == std::end(kEndings) || !run.start.isValid() || !run.end.isValid() ||
        run.end < run.start || frames < 0) {
        return false;
    }
    run.ending = *knownEnding;
    run.frames = static_cast<quint64>(frames);
    run.start = run.start.toUTC();
    run.end = run.end.toUTC();
    return true;
}

QJsonObject toJson(const CameraRunLog::DayTotal& total)
{
    QJsonObject object;
    object.insert(kDayKey, total.day.toString(Qt::ISODate));
    object.insert(kKindKey, cameraRunKindName(total.kind));
    object.insert(kCameraMsKey, static_cast<double>(total.cameraMs));
    object.insert(kFramesKey, static_cast<double>(total.frames));
    object.insert(kRunsKey, total.runs);
    return object;
}

bool fromJson(const QJsonObject& object, CameraRunLog::DayTotal& total)
{
    total.day = QDate::fromString(object.value(kDayKey).toString(), Qt::ISODate);
    const double cameraMs = object.value(kCameraMsKey).toDouble(-1);
    const double frames = object.value(kFramesKey).toDouble(-1);
    total.runs = object.value(kRunsKey).toInt(-1);
    if (!kindFromName(object.value(kKindKey).toString(), total.kind) || !total.day.isValid() ||
        cameraMs < 0 || frames < 0 || total.runs < 0) {
        return false;
    }
    total.cameraMs = static_cast<qint64>(cameraMs);
    total.frames = static_cast<quint64>(frames);
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
    for (const QJsonValue& value : parsed.root.value(kDaysKey).toArray()) {
        DayTotal total;
        if (fromJson(value.toObject(), total)) {
            addToDay(total);
        } else {
            ++skipped;
        }
    }
    for (const QJsonValue& value : parsed.root.value(kDataKey).toArray()) {
        CameraRun run;
        if (fromJson(value.toObject(), run)) {
            m_runs.append(run);
        } else {
            ++skipped;
        }
    }
    if (skipped > 0) {
        qWarning() << "CameraRunLog: skipped" << skipped << "unreadable entries in" << path();
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

void CameraRunLog::addToDay(const DayTotal& add)
{
    auto at = std::find_if(m_days.begin(), m_days.end(), [&](const DayTotal& total) {
        return total.day > add.day || (total.day == add.day && total.kind == add.kind);
    });
    if (at == m_days.end() || at->day != add.day) {
        at = m_days.insert(at, DayTotal{add.day, add.kind, 0, 0, 0});
    }
    at->cameraMs += add.cameraMs;
    at->frames += add.frames;
    at->runs += add.runs;
}

// Camera time goes to the local day it was spent on; frames and the run to the day it ended.
void CameraRunLog::fold(const CameraRun& run)
{
    const QDateTime end = run.end.toLocalTime();
    for (QDateTime from = run.start.toLocalTime(); from < end;) {
        const QDateTime to = std::min(QDateTime(from.date().addDays(1), QTime(0, 0)), end);
        addToDay({from.date(), run.kind, from.msecsTo(to), 0, 0});
        from = to;
    }
    addToDay({end.date(), run.kind, 0, run.frames, 1});
}

void CameraRunLog::prune(const QDateTime& nowUtc)
{
    const QDateTime oldest = nowUtc.addDays(-kKeptDays);
    const auto kept = std::find_if(m_runs.begin(), m_runs.end(),
                                   [&](const CameraRun& run) { return run.end >= oldest; });
    m_runs.erase(m_runs.begin(), kept);
    while (m_runs.size() > kKeptRuns) {
        fold(m_runs.takeFirst());
    }
    const QDate oldestDay = oldest.toLocalTime().date();
    m_days.erase(m_days.begin(),
                 std::find_if(m_days.begin(), m_days.end(),
                              [&](const DayTotal& total) { return total.day >= oldestDay; }));
}

void CameraRunLog::write()
{
    if (m_writesBlocked) {
        return;
    }
    QJsonArray days;
    for (const DayTotal& total : m_days) {
        days.append(toJson(total));
    }
    QJsonArray data;
    for (const CameraRun& run : m_runs) {
        data.append(toJson(run));
    }
    m_file.reset(QJsonObject{{kDaysKey, days}, {kDataKey, data}});
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
    const QDate firstDay = today.addDays(-daysIntoWeek);
    const QDateTime weekStart = QDateTime(firstDay, QTime(0, 0)).toUTC();
    CameraTimeSummary summary;
    for (const DayTotal& total : m_days) {
        summary.todayMs += total.day == today ? total.cameraMs : 0;
        summary.weekMs += total.day >= firstDay ? total.cameraMs : 0;
    }
    for (const CameraRun& run : m_runs) {
        summary.todayMs += msSince(run, dayStart);
        summary.weekMs += msSince(run, weekStart);
    }
    for (int i = m_runs.size() - 1; i >= 0 && summary.lastRuns.size() < kLastRunsShown; --i) {
        summary.lastRuns.append(m_runs.at(i));
    }
    return summary;
}
