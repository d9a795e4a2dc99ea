#include "ProcessLister.h"

#include <QSet>

QStringList ProcessLister::runningProcessNames() const
{
    QStringList names;
    for (const ProcessEntry& process : runningProcesses()) {
        names.append(process.name);
    }
    return names;
}

QString processListLine(const QList<ProcessEntry>& processes)
{
    QString line;
    QSet<QString> seen;
    for (const ProcessEntry& process : processes) {
        const QString text = process.name + QLatin1Char('-') + QString::number(process.session);
        if (!seen.contains(text)) {
            seen.insert(text);
            line += QLatin1Char(' ') + text;
        }
    }
    return line;
}
