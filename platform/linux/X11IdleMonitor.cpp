#include "platform/linux/X11IdleMonitor.h"

#include <QDebug>

// Xlib's macros (None, Bool, Status...) clash with Qt's names, so X comes last.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

void X11IdleMonitor::DisplayCloser::operator()(_XDisplay* display) const
{
    XCloseDisplay(display);
}

void X11IdleMonitor::XFreer::operator()(void* data) const
{
    XFree(data);
}

X11IdleMonitor::X11IdleMonitor(const char* displayName) : m_display(XOpenDisplay(displayName))
{
    // Reported here, once: the checks that follow run every minute.
    if (!m_display) {
        qWarning() << "X11IdleMonitor: no X display, idle time counts as 0";
        return;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (!XScreenSaverQueryExtension(m_display.get(), &eventBase, &errorBase)) {
        qWarning() << "X11IdleMonitor: no XScreenSaver extension, idle time counts as 0";
        return;
    }
    m_info.reset(XScreenSaverAllocInfo());
    if (!m_info) {
        qWarning() << "X11IdleMonitor: XScreenSaverAllocInfo failed, idle time counts as 0";
    }
}

X11IdleMonitor::~X11IdleMonitor() = default;

QPoint X11IdleMonitor::cursorPosition()
{
    if (!m_display) {
        return m_lastPosition;
    }
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    // False only means that the pointer is on another screen; the root coordinates still hold.
    XQueryPointer(m_display.get(), DefaultRootWindow(m_display.get()), &root, &child, &rootX,
                  &rootY, &windowX, &windowY, &mask);
    if (root != 0) {
        m_lastPosition = QPoint(rootX, rootY);
    }
    return m_lastPosition;
}

std::optional<quint32> X11IdleMonitor::idleMilliseconds()
{
    if (!m_info) {
        return std::nullopt;
    }
    auto* info = static_cast<XScreenSaverInfo*>(m_info.get());
    if (!XScreenSaverQueryInfo(m_display.get(), DefaultRootWindow(m_display.get()), info)) {
        return std::nullopt;
    }
    return static_cast<quint32>(info->idle);
}

std::unique_ptr<IdleMonitor> createIdleMonitor()
{
    return std::make_unique<X11IdleMonitor>();
}
