#pragma once

#include <QProcess>
#include <QRect>
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

// Where the X server has the window: the pointer meets it there, which can lag behind Qt's own
// geometry while the window manager is busy.
inline QRect serverGeometry(quint64 window)
{
    QRect rect;
    const QString shell = xdotool(
        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)});
    for (const QString& line : shell.split(QLatin1Char('\n'))) {
        const int value = line.section(QLatin1Char('='), 1).toInt();
        if (line.startsWith(QLatin1String("X="))) {
            rect.moveLeft(value);
        } else if (line.startsWith(QLatin1String("Y="))) {
            rect.moveTop(value);
        } else if (line.startsWith(QLatin1String("WIDTH="))) {
            rect.setWidth(value);
        } else if (line.startsWith(QLatin1String("HEIGHT="))) {
            rect.setHeight(value);
        }
    }
    return rect;
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
