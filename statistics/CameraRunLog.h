#pragma once

#include "MeasurementFile.h"
#include "common/CameraRun.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

// The record of every camera run: "camera-runs.json" in the data folder, replaced atomically
// after each run. It keeps the last runs one by one and folds older ones into camera time per
// local day and kind, all of the last 30 days: interactive reminders open the camera every half
// minute, and a record of every such run would grow to megabytes rewritten after each of them.
// A file that does not parse is set aside, as the history is, and a new record begins; one that
// cannot be read is left alone and never written over while this program runs.
class CameraRunLog
{
public:
    static constexpr int kKeptDays = 30;
    static constexpr int kKeptRuns = 200;
    static constexpr int kLastRunsShown = 5;

    // Camera time of the runs of one kind folded into one local day.
    struct DayTotal
    {
        QDate day;
        Feature kind = FeatureFreeCamera;
        qint64 cameraMs = 0;
        quint64 frames = 0;
        int runs = 0; // the runs that ended on this day
    };

    explicit CameraRunLog(QString path);

    // Reads the file; what is older than the kept days is dropped.
    void load(const QDateTime& nowUtc);
    // Adds the run that ended at endUtc and writes the record.
    void add(const CameraRunReport& report, const QDateTime& endUtc);

    const QVector<CameraRun>& runs() const { return m_runs; }
    const QVector<DayTotal>& dayTotals() const { return m_days; }
    const QString& path() const { return m_file.path(); }
    MeasurementFile& file() { return m_file; }

    // Camera time of today and of this week (from firstDayOfWeek on) as the local clock counts
    // them, and the last runs.
    CameraTimeSummary summary(const QDateTime& nowUtc, Qt::DayOfWeek firstDayOfWeek) const;

private:
    void addToDay(const DayTotal& add);
    void fold(const CameraRun& run);
    void prune(const QDateTime& nowUtc);
    void write();

    MeasurementFile m_file;
    QVector<CameraRun> m_runs; // oldest first, at most kKeptRuns
    QVector<DayTotal> m_days;  // oldest day first
    bool m_writesBlocked = false;
};
