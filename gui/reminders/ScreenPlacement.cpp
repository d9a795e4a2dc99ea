#include "ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ScreenPlacement {

namespace {

QRect frameOf(const QWidget* window)
{
    // A window not yet shown still has a size worth counting: its hint.
    const QSize size = window->size().isEmpty() ? window->sizeHint() : window->size();
    return QRect(window->pos(), size.expandedTo(QSize(1, 1)));
}

} // namespace

bool isOnAnyScreen(const QWidget* window)
{
    return isOnAnyScreen(frameOf(window));
}

bool isOnAnyScreen(const QRect& frame)
{
    // Its middle, not a corner: a window with one pixel on a screen cannot be seen either.
    return QGuiApplication::screenAt(frame.center()) != nullptr;
}

int clampCoordinate(int value)
{
    return qBound(-32000, value, 32000);
}

QRect primaryArea()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry() : QRect(0, 0, 1920, 1080);
}

} // namespace ScreenPlacement
