#pragma once

#include "FaceLocator.h"

#include <opencv2/core.hpp>

struct EyeMotion
{
    double mean = 0.0;   // normalised vertical lid motion, positive = downwards (closing)
    double spread = 0.0; // its standard deviation over the measuring disc
};

// Dense Farneback flow in the square around one eye, reduced to mean and spread of the vertical
// motion inside the measuring disc.
class EyeMotionMeter
{
public:
    // previousGrey is blurred, currentGrey is not; eye holds the previous frame's eye values;
    // eyeDistance is the distance between the previous centres of the two eyes.
    EyeMotion measure(const cv::Mat& previousGrey, const cv::Mat& currentGrey, const EyeValues& eye,
                      float eyeDistance);

private:
    cv::Mat m_flowBuffer; // grows to the largest eye square seen
    cv::Mat m_flow;       // view of the buffer for the eye being measured
};
