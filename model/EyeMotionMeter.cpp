#include "EyeMotionMeter.h"

#include <algorithm>
#include <cmath>
#include <opencv2/video/tracking.hpp>

namespace {

constexpr int kMinimumSide = 5;
constexpr float kMagnitudeLimit = 225.f; // squared; faster vectors are tracking noise
constexpr double kVarianceFloor = 1e-8;
constexpr float kFarOff = 1e6f;

// Farneback parameters: pyramid scale, levels, window, iterations, neighbourhood, sigma.
constexpr double kPyramidScale = 0.5;
constexpr int kLevels = 3;
constexpr int kWindow = 15;
constexpr int kIterations = 3;
constexpr int kPolyN = 5;
constexpr double kPolySigma = 1.2;

} // namespace

EyeMotion EyeMotionMeter::measure(const cv::Mat& previousGrey, const cv::Mat& currentGrey,
                                  const EyeValues& eye, float eyeDistance)
{
    const int width = currentGrey.cols;
    const int height = currentGrey.rows;
    // Centres that are not numbers or lie far off the frame would make the integer casts below
    // undefined; they measure nothing anyway.
    if (previousGrey.size() != currentGrey.size() || !(std::abs(eye.x) < kFarOff) ||
        !(std::abs(eye.y) < kFarOff)) {
        return {};
    }

    const int s = eye.roiSize;
    const int h = static_cast<int>(s * 0.5);
    const int left = std::max(1, static_cast<int>(eye.x) - h);
    const int top = std::max(1, static_cast<int>(eye.y) - h);
    const int side = std::max(0, std::min({s, width - 2 - left, height - 2 - top}));
    const int half = static_cast<int>(side * 0.5);
    if (side <= kMinimumSide) {
        return {};
    }

    const cv::Rect region(left, top, side, side);
    // One buffer serves both eyes: the flow is written into a view of the needed size, so
    // alternating eye sizes do not reallocate it.
    if (m_flowBuffer.rows < side || m_flowBuffer.cols < side) {
        m_flowBuffer.create(std::max(side, m_flowBuffer.rows), std::max(side, m_flowBuffer.cols),
                            CV_32FC2);
    }
    m_flow = m_flowBuffer(cv::Rect(0, 0, side, side));
    cv::calcOpticalFlowFarneback(previousGrey(region), currentGrey(region), m_flow, kPyramidScale,
                                 kLevels, kWindow, kIterations, kPolyN, kPolySigma, 0);

    const double radius = half / 2.0;
    const float normaliser = std::max(1.0f, eyeDistance);
    auto forEachValue = [&](auto&& use) {
        for (int dy = -half; dy <= half; ++dy) {
            for (int dx = -half; dx <= half; ++dx) {
                if (std::sqrt(static_cast<double>(dx * dx + dy * dy)) >= radius) {
                    continue;
                }
                const cv::Vec2f f = m_flow.at<cv::Vec2f>(half + dy, half + dx);
                if (f[0] * f[0] + f[1] * f[1] < kMagnitudeLimit) {
                    use(f[1] / normaliser);
                }
            }
        }
    };

    double sum = 0.0;
    int count = 0;
    forEachValue([&](float v) {
        sum += v;
        ++count;
    });
    if (count == 0) {
        return {};
    }
    const double mean = sum / count;
    double squares = 0.0;
    forEachValue([&](float v) { squares += (v - mean) * (v - mean); });
    const double variance = squares / count;
    return {mean, variance > kVarianceFloor ? std::sqrt(variance) : variance};
}
