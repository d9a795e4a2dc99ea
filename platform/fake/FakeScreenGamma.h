#pragma once

#include "platform/ScreenGamma.h"

#include <vector>

// Records every ramp it is asked to load; a test can make it refuse them.
class FakeScreenGamma : public ScreenGamma
{
public:
    std::vector<GammaRamp> applied; // every call, refused ones included
    bool refuse = false;
    int restores = 0;

    bool apply(const GammaRamp& ramp) override
    {
        applied.push_back(ramp);
        return !refuse;
    }
    bool restoreOriginal() override
    {
        ++restores;
        return true;
    }
};
