#include "EyeMotionMeter.h"

// Placeholder until the flow measurement lands.
EyeMotion EyeMotionMeter::measure(const cv::Mat&, const cv::Mat&, const EyeValues&, float)
{
    return {};
}
