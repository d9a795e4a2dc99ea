#include "platform/MicrophoneUse.h"

#include <QRegularExpression>

namespace {

struct Stream
{
    QString name;
    qint64 pid = -1;
    bool monitor = false;
};

void addStream(const Stream& stream, qint64 ownPid, QStringList& programs)
{
    if (stream.pid == ownPid || stream.monitor) {
        return;
    }
    const QString name = stream.name.isEmpty() ? QStringLiteral("?") : stream.name;
    if (!programs.contains(name)) {
        programs << name;
    }
}

} // namespace

QStringList recordingProgramsInPactlList(const QString& text, qint64 ownPid)
{
    static const QRegularExpression property(
        QStringLiteral("^\\s*([a-z.]+)\\s*=\\s*\"(.*)\"\\s*$"));
    QStringList programs;
    bool inStream = false;
    Stream stream;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Source Output #"))) {
            if (inStream) {
                addStream(stream, ownPid, programs);
            }
            inStream = true;
            stream = Stream();
            continue;
        }
        const QString trimmed = line.trimmed();
        // "Source: 3" names the device by index; "Source: name.monitor" where it is resolved.
        if (trimmed.startsWith(QLatin1String("Source: ")) &&
            trimmed.endsWith(QLatin1String(".monitor"))) {
            stream.monitor = true;
        }
        const QRegularExpressionMatch match = property.match(line);
        if (!match.hasMatch()) {
            continue;
        }
        const QString key = match.captured(1);
        if (key == QLatin1String("application.name")) {
            stream.name = match.captured(2);
        } else if (key == QLatin1String("application.process.id")) {
            bool ok = false;
            const qint64 pid = match.captured(2).toLongLong(&ok);
            stream.pid = ok ? pid : -1;
        } else if (key == QLatin1String("stream.capture.sink")) {
            stream.monitor = match.captured(2) == QLatin1String("true");
        }
    }
    if (inStream) {
        addStream(stream, ownPid, programs);
    }
    programs.sort();
    return programs;
}
