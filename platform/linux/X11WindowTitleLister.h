#pragma once

#include "platform/WindowTitleLister.h"
#include "platform/linux/XcbConnection.h"

#include <QVector>
#include <optional>

// Window titles over an X connection of its own. With a window manager that follows EWMH, the
// windows are the ones it manages (_NET_CLIENT_LIST_STACKING or _NET_CLIENT_LIST, so minimised
// ones count too); without one, the top-level windows that are mapped and not override-redirect,
// each stood for by the window with WM_STATE below it where there is one. The title is
// _NET_WM_NAME (UTF-8), else WM_NAME. Desktop and dock windows are left out. Windows of
// Wayland programs are not on the X server and so not seen.
class X11WindowTitleLister : public WindowTitleLister
{
public:
    // nullptr opens the display named by $DISPLAY.
    explicit X11WindowTitleLister(const char* displayName = nullptr);

    QStringList visibleWindowTitles() override;

private:
    using Windows = QVector<xcb_window_t>;

    std::optional<Windows> managedWindows();
    Windows topLevelWindows();
    xcb_window_t clientBelow(xcb_window_t window, int depth);
    QStringList titlesOf(const Windows& windows);

    XcbConnection m_x;
    xcb_window_t m_wmCheck = XCB_WINDOW_NONE;
    bool m_lossReported = false;
};
