#pragma once

#include <QStringList>
#include <memory>

// Titles of the windows a user has open (shown or minimised), from the top of the stack down
// where the system tells the order. Desktop backgrounds and panels are left out.
class WindowTitleLister
{
public:
    virtual ~WindowTitleLister() = default;
    virtual QStringList visibleWindowTitles() = 0;
};

// The X display named by $DISPLAY on Linux.
std::unique_ptr<WindowTitleLister> createWindowTitleLister();
