#include "HeadMotionTracker.h"

#include <algorithm>
#include <opencv2/calib3d.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

namespace {

// Enough points that the fit survives points lost on the mouth or the face's outline.
constexpr int kMaxPoints = 40;
constexpr int kMinPoints = 8;
constexpr int kMinFitPoints = 4;
constexpr double kCornerQuality = 0.01;
constexpr int kCornerBlock = 5;
// Points no closer than a fifteenth of the face, so that they spread over it.
constexpr double kSpacingPerFaceWidth = 1.0 / 15.0;
constexpr double kMinSpacing = 3.0;
// The area searched is the face and a quarter of its width around it: a head moves less than
// that between two frames.
constexpr double kMarginPerFaceWidth = 0.25;
const cv::Size kTrackingWindow(15, 15);
constexpr int kPyramidLevels = 2;
constexpr double kFitTolerancePx = 1.0;

} // namespace

void HeadMotionTracker::reset()
{
    m_points.clear();
    m_area = cv::Rect();
}

bool HeadMotionTracker::needsPoints() const
{
    return static_cast<int>(m_points.size()) < kMinPoints;
}

void HeadMotionTracker::pickPoints(const cv::Mat& grey, const FaceRecord& face,
                                   const std::array<cv::Rect, 2>& eyeSquares)
{
    reset();
    const cv::Rect frame(0, 0, grey.cols, grey.rows);
    const cv::Rect box = cv::Rect(face.x, face.y, face.width, face.height) & frame;
    if (box.width <= kCornerBlock || box.height <= kCornerBlock) {
        return;
    }
    m_mask.create(box.size(), CV_8UC1);
    m_mask.setTo(255);
    for (const cv::Rect& square : eyeSquares) {
        const cv::Rect inBox = (square & box) - box.tl();
        if (!inBox.empty()) {
            m_mask(inBox).setTo(0);
        }
    }
    const double spacing = std::max(kMinSpacing, face.width * kSpacingPerFaceWidth);
    cv::goodFeaturesToTrack(grey(box), m_points, kMaxPoints, kCornerQuality, spacing, m_mask,
                            kCornerBlock);
    for (cv::Point2f& point : m_points) {
        point += cv::Point2f(static_cast<float>(box.x), static_cast<float>(box.y));
    }
    const int margin = static_cast<int>(face.width * kMarginPerFaceWidth);
    m_area =
        cv::Rect(box.x - margin, box.y - margin, box.width + 2 * margin, box.height + 2 * margin) &
        frame;
}

std::optional<cv::Matx23d> HeadMotionTracker::follow(const cv::Mat& previous,
                                                     const cv::Mat& current)
{
    if (static_cast<int>(m_points.size()) < kMinFitPoints || m_area.empty() ||
        previous.size() != current.size() ||
        (m_area & cv::Rect(0, 0, current.cols, current.rows)) != m_area) {
        reset();
        return std::nullopt;
    }
    // Only the area around the face is given to the tracker: its pyramids are then a fraction of
    // the frame's.
    const cv::Point2f offset(static_cast<float>(m_area.x), static_cast<float>(m_area.y));
    for (cv::Point2f& point : m_points) {
        point -= offset;
    }
    cv::calcOpticalFlowPyrLK(previous(m_area), current(m_area), m_points, m_found, m_status,
                             m_errors, kTrackingWindow, kPyramidLevels);
    m_from.clear();
    m_to.clear();
    const cv::Rect2f inside(0.f, 0.f, static_cast<float>(m_area.width),
                            static_cast<float>(m_area.height));
    for (std::size_t i = 0; i < m_points.size(); ++i) {
        if (m_status[i] && inside.contains(m_found[i])) {
            m_from.push_back(m_points[i] + offset);
            m_to.push_back(m_found[i] + offset);
        }
    }
    m_points = m_to;
    if (static_cast<int>(m_from.size()) < kMinFitPoints) {
        return std::nullopt;
    }
    // RANSAC leaves out points that move on their own: lips, cheeks, the outline against the
    // background.
    const cv::Mat fit =
        cv::estimateAffinePartial2D(m_from, m_to, cv::noArray(), cv::RANSAC, kFitTolerancePx);
    if (fit.empty()) {
        return std::nullopt;
    }
    return cv::Matx23d(fit);
}
