#pragma once

#include "platform/WindowTitleLister.h"

class FakeWindowTitleLister : public WindowTitleLister
{
public:
    QStringList titles;
    int reads = 0;

    QStringList visibleWindowTitles() override
    {
        ++reads;
        return titles;
    }
};
