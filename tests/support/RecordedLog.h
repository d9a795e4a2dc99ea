#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <algorithm>

// Keeps the texts of what is logged while installed (every message, or warnings only) and
// passes each message on to the handler that was there before.
namespace RecordedLog {

inline QStringList lines;
inline QtMessageHandler passOn = nullptr;
inline bool warningsOnly = false;

inline void record(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!warningsOnly || type == QtWarningMsg) {
        lines << text;
    }
    passOn(type, context, text);
}

inline void install(bool onlyWarnings)
{
    warningsOnly = onlyWarnings;
    passOn = qInstallMessageHandler(record);
}

inline void uninstall()
{
    qInstallMessageHandler(passOn);
}

inline int timesLogged(const QString& part)
{
    return static_cast<int>(
        std::count_if(lines.cbegin(), lines.cend(),
                      [&part](const QString& line) { return line.contains(part); }));
}

} // namespace RecordedLog
