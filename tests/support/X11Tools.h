#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// xdotool on the test display: what a user does with the real pointer, and what the window
// manager believes has the focus.
inline QString xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(5000)) {
        return QString();
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

inline bool hasXdotool()
{
    return !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

// The window manager's name, or empty without one (EWMH _NET_SUPPORTING_WM_CHECK).
inline bool hasWindowManager()
{
    QProcess process;
    process.start(QStringLiteral("xprop"),
                  {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    process.waitForFinished(5000);
    return process.readAllStandardOutput().contains("window id");
}
