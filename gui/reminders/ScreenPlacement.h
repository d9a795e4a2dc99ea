#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

// Where the reminder windows may be: a window lying on no screen (a monitor unplugged, a stored
// position of any value) is moved back to its default place on the primary screen.
namespace ScreenPlacement {
bool isOnAnyScreen(const QWidget* window);
// A stored coordinate limited to what a window system can place (X11 takes 16 bits).
int clampCoordinate(int value);
QSize primaryScreenSize();
} // namespace ScreenPlacement
