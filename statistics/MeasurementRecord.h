#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

// One element of the "data" array of the history file.
struct MeasurementRecord
{
    double blinkRate = 0.0; // blinks per minute
    QString note;
    int length = 0; // average blink duration in milliseconds
    // Local wall time, carried with the local offset of that moment; invalid when unreadable.
    QDateTime dateTime;

    // Missing or mistyped values read as 0 (numbers), an empty note or an invalid date-time.
    static MeasurementRecord fromJson(const QJsonObject& element);
    QJsonObject toJson() const;

    // ISO 8601 with the offset of the moment, whole seconds; a zero offset is "+00:00".
    static QString renderDateTime(const QDateTime& moment);
    // Accepts an offset or "Z"; the result is local time, invalid when the text is unreadable.
    static QDateTime parseDateTime(const QString& text);
    // The local wall time of an instant. It carries the local offset of that instant instead of
    // Qt::LocalTime: the same date, time and instant, but made without asking the C
    // library for the zone once per date-time, which dominates loading a long history.
    static QDateTime localTime(qint64 msecsSinceEpoch);
    // Picks up a change of the system zone before a run of localTime() calls.
    static void refreshZone();
};
