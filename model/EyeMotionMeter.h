#pragma once

#include "FaceLocator.h"
#include "FarnebackFlow.h"

#include <opencv2/core.hpp>
#include <vector>

struct EyeMotion
{
    double mean = 0.0;   // normalised vertical lid motion, positive = downwards (closing)
    double spread = 0.0; // its standard deviation over the measuring disc
    // Median normalised vertical motion beside the eye corners, outside the disc: skin that moves
    // with the skull, not with the lid. Measured only when asked for.
    double beside = 0.0;
    bool measured = false; // false: no square to measure (too small, or off the frame)
};

// How head motion is kept out of the eye flow.
enum class MotionCompensation
{
    None,       // the flow as it comes: a moving head reads as lid motion
    BesideEyes, // the median motion beside the eye corners is taken from the mean
    Stabilised, // the current square is warped by the head's motion before the flow
};

// Dense Farneback flow in the square around one eye, reduced to mean and spread of the vertical
// motion inside the measuring disc.
class EyeMotionMeter
{
public:
    EyeMotionMeter();

    // The square cut around an eye for the flow; empty when its side is 5 or less.
    static cv::Rect square(const EyeValues& eye, cv::Size frame);

    // previousGrey is blurred, currentGrey is not; eye holds the previous frame's eye values;
    // eyeDistance is the distance between the previous centres of the two eyes. headMotion, when
    // given, maps previous frame coordinates to current ones: the current square is taken along
    // it, so that only motion relative to the head is measured, and downward motion counts only
    // beyond a share of the head's own, unless that margin is off. measureBeside fills
    // EyeMotion::beside.
    EyeMotion measure(const cv::Mat& previousGrey, const cv::Mat& currentGrey, const EyeValues& eye,
                      float eyeDistance, const cv::Matx23d* headMotion = nullptr,
                      bool measureBeside = false);

    // The margin on downward motion while the head moves; on by default.
    void setHeadMotionMargin(bool on) { m_headMotionMargin = on; }
    bool headMotionMargin() const { return m_headMotionMargin; }

private:
    static double discountHeadMotion(double mean, const cv::Matx23d& head, const EyeValues& eye,
                                     float normaliser);
    double besideMedian(int half, float normaliser, float magnitudeLimit);

    FarnebackFlow m_farneback;
    cv::Mat m_flowBuffer; // grows to the largest eye square seen
    cv::Mat m_flow;       // view of the buffer for the eye being measured
    cv::Mat m_warped;     // the current square, held still
    cv::Mat m_previousSmall;
    cv::Mat m_nextSmall;
    std::vector<float> m_beside;
    bool m_headMotionMargin = true;
};
