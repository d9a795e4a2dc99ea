#include "MeasurementRecord.h"

#include <QJsonValue>
#include <ctime>
#include <time.h>

namespace {

const QString kBlinkRateKey = QStringLiteral("blinkrate");
const QString kDateTimeKey = QStringLiteral("datetime");
const QString kLengthKey = QStringLiteral("length");
const QString kNoteKey = QStringLiteral("note");

constexpr qint64 kMSecsPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date.
qint64 daysFromCivil(qint64 year, int month, int day)
{
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool digitsAt(const QString& text, int from, int count, int* value)
{
    int result = 0;
    for (int i = from; i < from + count; ++i) {
        const ushort c = text.at(i).unicode();
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + (c - '0');
    }
    *value = result;
    return true;
}

// The form this program writes, "yyyy-MM-ddTHH:mm:ss+HH:mm", read without the general ISO
// parser. Anything else is left to that parser.
bool parseWrittenForm(const QString& text, qint64* msecsSinceEpoch)
{
    if (text.size() != 25 || text.at(4) != '-' || text.at(7) != '-' || text.at(10) != 'T' ||
        text.at(13) != ':' || text.at(16) != ':' || text.at(22) != ':') {
        return false;
    }
    const QChar sign = text.at(19);
    if (sign != '+' && sign != '-') {
        return false;
    }
    int year, month, day, hour, minute, second, offsetHours, offsetMinutes;
    if (!digitsAt(text, 0, 4, &year) || !digitsAt(text, 5, 2, &month) ||
        !digitsAt(text, 8, 2, &day) || !digitsAt(text, 11, 2, &hour) ||
        !digitsAt(text, 14, 2, &minute) || !digitsAt(text, 17, 2, &second) ||
        !digitsAt(text, 20, 2, &offsetHours) || !digitsAt(text, 23, 2, &offsetMinutes)) {
        return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > QDate(year, month, 1).daysInMonth() ||
        hour > 23 || minute > 59 || second > 59 || offsetHours > 23 || offsetMinutes > 59) {
        return false;
    }
    const int offset = (sign == '+' ? 1 : -1) * (offsetHours * 3600 + offsetMinutes * 60);
    const qint64 wallSeconds = (hour * 60 + minute) * 60 + second;
    *msecsSinceEpoch =
        daysFromCivil(year, month, day) * kMSecsPerDay + (wallSeconds - offset) * 1000;
    return true;
}

} // namespace

MeasurementRecord MeasurementRecord::fromJson(const QJsonObject& element)
{
    MeasurementRecord record;
    record.blinkRate = element.value(kBlinkRateKey).toDouble(0.0);
    record.note = element.value(kNoteKey).toString();
    record.length = element.value(kLengthKey).toInt(0);
    record.dateTime = parseDateTime(element.value(kDateTimeKey).toString());
    return record;
}

QJsonObject MeasurementRecord::toJson() const
{
    QJsonObject element;
    element.insert(kDateTimeKey, renderDateTime(dateTime));
    element.insert(kBlinkRateKey, blinkRate);
    element.insert(kNoteKey, note);
    element.insert(kLengthKey, length);
    return element;
}

QString MeasurementRecord::renderDateTime(const QDateTime& moment)
{
    QString text = moment.toOffsetFromUtc(moment.offsetFromUtc()).toString(Qt::ISODate);
    // Readers of the file expect a numeric offset everywhere.
    if (text.endsWith(QLatin1Char('Z'))) {
        text.chop(1);
        text.append(QStringLiteral("+00:00"));
    }
    return text;
}

QDateTime MeasurementRecord::parseDateTime(const QString& text)
{
    if (text.isEmpty()) {
        return QDateTime();
    }
    qint64 msecs = 0;
    if (parseWrittenForm(text, &msecs)) {
        return localTime(msecs);
    }
    const QDateTime parsed = QDateTime::fromString(text, Qt::ISODate);
    return parsed.isValid() ? localTime(parsed.toMSecsSinceEpoch()) : QDateTime();
}

QDateTime MeasurementRecord::localTime(qint64 msecsSinceEpoch)
{
#if defined(Q_OS_UNIX)
    // localtime_r does not re-read the zone on every call; callers refresh it with tzset().
    const qint64 seconds =
        msecsSinceEpoch >= 0 ? msecsSinceEpoch / 1000 : -((-msecsSinceEpoch + 999) / 1000);
    const time_t clock = time_t(seconds);
    std::tm broken;
    if (localtime_r(&clock, &broken)) {
        return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::OffsetFromUTC,
                                              int(broken.tm_gmtoff));
    }
#endif
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::LocalTime);
    return local.toOffsetFromUtc(local.offsetFromUtc());
}

void MeasurementRecord::refreshZone()
{
#if defined(Q_OS_UNIX)
    tzset();
#endif
}
