#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

// Where the windows may be. Default places are taken from the available area (without panels)
// of the primary screen, wherever it lies on the desktop: on two monitors the primary one is
// often not at (0, 0). A window lying on no screen (a monitor unplugged, a stored position of
// any value) is moved back to its default place.
namespace ScreenPlacement {
// The window's middle lies on a screen.
bool isOnAnyScreen(const QWidget* window);
bool isOnAnyScreen(const QRect& frame);
// A stored coordinate limited to what a window system can place (X11 takes 16 bits).
int clampCoordinate(int value);
// The primary screen's area without panels, in desktop coordinates.
QRect primaryArea();
} // namespace ScreenPlacement
