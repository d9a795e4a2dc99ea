#include "BenchHistory.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

bool writeBenchHistory(const QString& path, int count)
{
    QJsonArray data;
    const QDateTime first(QDate(2015, 1, 1), QTime(8, 0), Qt::OffsetFromUTC, 3600);
    for (int i = 0; i < count; ++i) {
        QJsonObject element;
        element.insert("blinkrate", 5.0 + (i % 200) / 10.0);
        element.insert("datetime", first.addSecs(qint64(i) * 5400).toString(Qt::ISODate));
        element.insert("length", 120 + i % 180);
        element.insert("note", QStringLiteral("interactive reminder 10 min, breaks 50 min"));
        data.append(element);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    file.write(QJsonDocument(QJsonObject{{"data", data}}).toJson(QJsonDocument::Indented));
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}
