#include "EyeMotionMeter.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace {

constexpr int kMinimumSide = 5;
constexpr float kMagnitudeLimit = 225.f; // squared; faster vectors are tracking noise
constexpr double kVarianceFloor = 1e-8;
constexpr float kFarOff = 1e6f;
// The share of the head's own vertical motion at the eye that downward motion must exceed.
constexpr double kHeadMotionLeak = 0.4;

// The flow's square is resampled to at most this side: Farneback's cost grows with the area, and
// a face close to the camera gives squares of 200 px and more. Down to this side the recorded
// faces keep every blink; smaller squares (96 px and less) smooth away the fine motion that tells
// a lid from a grimace. Farneback's parameters stay in pixels of the resampled square, the
// magnitude limit in those of the frame.
constexpr int kFlowSide = 112;
// Farneback parameters: pyramid scale, levels, window, iterations, neighbourhood, sigma.
constexpr FarnebackFlow::Parameters kFarneback{0.5, 3, 15, 3, 5, 1.2};

} // namespace

EyeMotionMeter::EyeMotionMeter() : m_farneback(kFarneback)
{
}

cv::Rect EyeMotionMeter::square(const EyeValues& eye, cv::Size frame)
{
    // Centres that are not numbers or lie far off the frame would make the integer casts below
    // undefined; they measure nothing anyway.
    if (!(std::abs(eye.x) < kFarOff) || !(std::abs(eye.y) < kFarOff)) {
        return {};
    }
    const int s = eye.roiSize;
    const int h = static_cast<int>(s * 0.5);
    const int left = std::max(1, static_cast<int>(eye.x) - h);
    const int top = std::max(1, static_cast<int>(eye.y) - h);
    const int side = std::max(0, std::min({s, frame.width - 2 - left, frame.height - 2 - top}));
    if (side <= kMinimumSide) {
        return {};
    }
    return {left, top, side, side};
}

EyeMotion EyeMotionMeter::measure(const cv::Mat& previousGrey, const cv::Mat& currentGrey,
                                  const EyeValues& eye, float eyeDistance,
                                  const cv::Matx23d* headMotion, bool measureBeside)
{
    if (previousGrey.size() != currentGrey.size()) {
        return {};
    }
    const cv::Rect region = square(eye, currentGrey.size());
    if (region.empty()) {
        return {};
    }
    const int side = std::min(region.width, kFlowSide);
    const double scale = static_cast<double>(side) / region.width;
    const int half = static_cast<int>(side * 0.5);

    // One buffer serves both eyes: the flow is written into a view of the needed size, so
    // alternating eye sizes do not reallocate it.
    if (m_flowBuffer.rows < side || m_flowBuffer.cols < side) {
        m_flowBuffer.create(std::max(side, m_flowBuffer.rows), std::max(side, m_flowBuffer.cols),
                            CV_32FC2);
    }
    m_flow = m_flowBuffer(cv::Rect(0, 0, side, side));
    cv::Mat previous = previousGrey(region);
    cv::Mat next = currentGrey(region);
    if (headMotion) {
        // Square pixel p sits at region.tl() + p in the previous frame and at headMotion of that
        // in the current one.
        const cv::Matx23d& m = *headMotion;
        const cv::Matx23d toCurrent(m(0, 0), m(0, 1),
                                    m(0, 0) * region.x + m(0, 1) * region.y + m(0, 2), m(1, 0),
                                    m(1, 1), m(1, 0) * region.x + m(1, 1) * region.y + m(1, 2));
        cv::warpAffine(currentGrey, m_warped, toCurrent, region.size(),
                       cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
        next = m_warped;
    }
    if (side < region.width) {
        cv::resize(previous, m_previousSmall, cv::Size(side, side), 0, 0, cv::INTER_AREA);
        cv::resize(next, m_nextSmall, cv::Size(side, side), 0, 0, cv::INTER_AREA);
        previous = m_previousSmall;
        next = m_nextSmall;
    }
    m_farneback.calc(previous, next, m_flow);

    const double radius = half / 2.0;
    // The disc lies within `reach` of the centre. radius is a multiple of 0.5, so its square is
    // exact and comparing squares keeps exactly the pixels whose distance is below it.
    const int reach = static_cast<int>(std::ceil(radius)) - 1;
    const double radiusSquared = radius * radius;
    const float normaliser = std::max(1.0f, eyeDistance);
    // Flow vectors are in pixels of the flow's square: the limit and the normaliser follow it.
    const float flowNormaliser = static_cast<float>(normaliser * scale);
    const float magnitudeLimit = static_cast<float>(kMagnitudeLimit * scale * scale);
    auto forEachValue = [&](auto&& use) {
        for (int dy = -reach; dy <= reach; ++dy) {
            for (int dx = -reach; dx <= reach; ++dx) {
                if (static_cast<double>(dx * dx + dy * dy) >= radiusSquared) {
                    continue;
                }
                const cv::Vec2f f = m_flow.at<cv::Vec2f>(half + dy, half + dx);
                if (f[0] * f[0] + f[1] * f[1] < magnitudeLimit) {
                    use(f[1] / flowNormaliser);
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
    EyeMotion motion{mean, variance > kVarianceFloor ? std::sqrt(variance) : variance, 0.0, true};
    if (headMotion && m_headMotionMargin) {
        motion.mean = discountHeadMotion(mean, *headMotion, eye, normaliser);
    }
    if (measureBeside) {
        motion.beside = besideMedian(half, flowNormaliser, magnitudeLimit);
    }
    return motion;
}

// Eyes keep looking where they looked while the head moves: the eyeball turns against the head
// and the lids follow it, so they move against the followed head; and the fitted head motion is
// itself off by a part of the head's. What is left grows with the head's speed, and a bobbing
// head makes it go down and up within a blink's time. A closing lid is far faster, so downward
// motion counts only beyond a share of the head's motion at the eye. Upward motion is left as it
// is: the slower reopening only counts after a closing, and a margin there would cut a blink that
// comes with a nod.
// The margin costs fast blinks, though: the skin beside the eyes folds with a closing lid, the
// head's fit follows it, and the margin takes the closing away. Where the eyes themselves are
// looked at for a closed lid, a moving head without one is refused there, and the margin is off.
double EyeMotionMeter::discountHeadMotion(double mean, const cv::Matx23d& head,
                                          const EyeValues& eye, float normaliser)
{
    if (mean <= 0.0) {
        return mean;
    }
    const double headDown = head(1, 0) * eye.x + head(1, 1) * eye.y + head(1, 2) - eye.y;
    const double margin = kHeadMotionLeak * std::abs(headDown) / normaliser;
    return std::max(0.0, mean - margin);
}

// The eye corners lie on the disc's rim, left and right of the centre; the skin beyond them, at
// the eye's height, moves with the skull. The band above the lid is left out: it moves with the
// lid.
double EyeMotionMeter::besideMedian(int half, float normaliser, float magnitudeLimit)
{
    const double radius = half / 2.0;
    m_beside.clear();
    for (int dy = -half; dy <= half; ++dy) {
        if (std::abs(dy) > radius / 2.0) {
            continue;
        }
        for (int dx = -half; dx <= half; ++dx) {
            if (std::abs(dx) < radius) {
                continue;
            }
            const cv::Vec2f f = m_flow.at<cv::Vec2f>(half + dy, half + dx);
            if (f[0] * f[0] + f[1] * f[1] < magnitudeLimit) {
                m_beside.push_back(f[1] / normaliser);
            }
        }
    }
    if (m_beside.empty()) {
        return 0.0;
    }
    const auto middle = m_beside.begin() + static_cast<std::ptrdiff_t>(m_beside.size() / 2);
    std::nth_element(m_beside.begin(), middle, m_beside.end());
    return *middle;
}
