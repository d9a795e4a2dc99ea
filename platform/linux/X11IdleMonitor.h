#pragma once

#include "platform/IdleMonitor.h"

#include <memory>

// Xlib's own name for Display, declared here to keep Xlib out of this header.
struct _XDisplay; // NOLINT(bugprone-reserved-identifier)

// Reads the pointer with XQueryPointer and the idle time with the XScreenSaver extension over a
// display connection of its own, so that the thread using it needs no other X client.
// Not for use from two threads at once.
class X11IdleMonitor : public IdleMonitor
{
public:
    // nullptr opens the display named by $DISPLAY.
    explicit X11IdleMonitor(const char* displayName = nullptr);
    ~X11IdleMonitor() override;
    X11IdleMonitor(const X11IdleMonitor&) = delete;
    X11IdleMonitor& operator=(const X11IdleMonitor&) = delete;

    QPoint cursorPosition() override;
    std::optional<quint32> idleMilliseconds() override;

    bool hasDisplay() const { return m_display != nullptr; }
    bool hasIdleTime() const { return m_info != nullptr; }

private:
    struct DisplayCloser
    {
        void operator()(_XDisplay* display) const;
    };
    struct XFreer
    {
        void operator()(void* data) const;
    };

    std::unique_ptr<_XDisplay, DisplayCloser> m_display;
    // XScreenSaverInfo, allocated once when the extension is present.
    std::unique_ptr<void, XFreer> m_info;
    QPoint m_lastPosition;
};
