#pragma once

#include "MeasurementFile.h"
#include "common/CameraRun.h"

#include <QDateTime>
#include <QString>
#include <QVector>

// The record of every camera run: "camera-runs.json" in the data folder, the runs of the last
// 30 days, replaced atomically after each run. A file that does not parse is set aside, as the
// history is, and a new record begins; one that cannot be read is left alone and never written
// over while this program runs.
class CameraRunLog
{
public:
    static constexpr int kKeptDays = 30;
    static constexpr int kLastRunsShown = 5;

    explicit CameraRunLog(QString path);

    // Reads the file; runs older than the kept days are dropped.
    void load(const QDateTime& nowUtc);
    // Adds the run that ended at endUtc and writes the record.
    void add(const CameraRunReport& report, const QDateTime& endUtc);

    const QVector<CameraRun>& runs() const { return m_runs; }
    const QString& path() const { return m_file.path(); }
    MeasurementFile& file() { return m_file; }

    // Camera time of today and of this week (from firstDayOfWeek on) as the local clock counts
    // them, and the last runs.
    CameraTimeSummary summary(const QDateTime& nowUtc, Qt::DayOfWeek firstDayOfWeek) const;

private:
    void prune(const QDateTime& nowUtc);
    void write();

    MeasurementFile m_file;
    QVector<CameraRun> m_runs; // oldest first
    bool m_writesBlocked = false;
};
