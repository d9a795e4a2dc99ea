#include "ScreenPlacement.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QScreen>

namespace ScreenPlacement {

bool isOnAnyScreen(const QWidget* window)
{
    return QApplication::desktop()->screenNumber(window) != -1;
}

int clampCoordinate(int value)
{
    return qBound(-32000, value, 32000);
}

QSize primaryScreenSize()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry().size() : QSize(1920, 1080);
}

} // namespace ScreenPlacement
