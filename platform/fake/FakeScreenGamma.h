#pragma once

#include "platform/ScreenGamma.h"

#include <memory>
#include <vector>

// Records every ramp it is asked to load; a test can make it refuse them.
class FakeScreenGamma : public ScreenGamma
{
public:
    std::vector<GammaRamp> applied; // every call, refused ones included
    bool refuse = false;
    // Shared, so that a test can still read it after the fake's owner has destroyed it.
    std::shared_ptr<int> restores = std::make_shared<int>(0);

    bool apply(const GammaRamp& ramp) override
    {
        applied.push_back(ramp);
        return !refuse;
    }
    bool restoreOriginal() override
    {
        ++*restores;
        return true;
    }
};
