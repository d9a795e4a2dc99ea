#include "MeasurementCsv.h"

#include "MeasurementRecord.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>

namespace {

const QString kDateTimeKey = QStringLiteral("datetime");
const QString kBlinkRateKey = QStringLiteral("blinkrate");
const QString kLengthKey = QStringLiteral("length");
const QString kNoteKey = QStringLiteral("note");

// A value as the file holds it: numbers in their shortest exact form, text as it is, anything
// else (a missing key, an object) as an empty field.
QString plain(const QJsonValue& value)
{
    if (value.isDouble()) {
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    }
    return value.isString() ? value.toString() : QString();
}

QString dateTimeField(const QJsonValue& value)
{
    // As it was written, which keeps the offset of the place where it was taken; only a moment
    // written with "Z" gets its numeric offset, so that every row has one.
    QString text = plain(value);
    if (text.endsWith(QLatin1Char('Z')) && MeasurementRecord::parseDateTime(text).isValid()) {
        text.chop(1);
        text.append(QStringLiteral("+00:00"));
    }
    return text;
}

} // namespace

QString MeasurementCsv::field(const QString& text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quote) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray MeasurementCsv::fromHistory(const QJsonArray& data)
{
    const QLatin1String lineEnd("\r\n");
    QString text = QStringLiteral("datetime,blinkrate,length,note") + lineEnd;
    for (const QJsonValue& value : data) {
        const QJsonObject element = value.toObject();
        text += field(dateTimeField(element.value(kDateTimeKey))) + QLatin1Char(',') +
                field(plain(element.value(kBlinkRateKey))) + QLatin1Char(',') +
                field(plain(element.value(kLengthKey))) + QLatin1Char(',') +
                field(plain(element.value(kNoteKey))) + lineEnd;
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}
