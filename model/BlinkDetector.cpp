#include "BlinkDetector.h"

// Placeholder until the detector lands.
void BlinkDetector::resetForRun()
{
    m_frame = 0;
    m_frameRate = 30;
    m_blinkMarker = 0;
}

quint64 BlinkDetector::beginFrame(double intervalSeconds)
{
    ++m_frame;
    m_interval[m_frame % historyLength] = intervalSeconds;
    return m_frame;
}

void BlinkDetector::recordMotion(const EyeMotion&, const EyeMotion&) {}

void BlinkDetector::runDetectors() {}

bool BlinkDetector::updateFrameRate()
{
    return false;
}

void BlinkDetector::runDetector(EyeState&, const std::array<double, historyLength>&,
                                const std::array<double, historyLength>&)
{
}

void BlinkDetector::mergeEvent(const EyeEvent&) {}
