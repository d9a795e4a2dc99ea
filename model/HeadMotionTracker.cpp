#include "HeadMotionTracker.h"

#include <algorithm>
#include <opencv2/calib3d.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

namespace {

// Enough points that the fit survives points lost on the brows, on the hair line or on the
// outline against the background.
constexpr int kMaxPoints = 30;
constexpr int kMinPoints = 8;
constexpr int kMinFitPoints = 4;
constexpr double kCornerQuality = 0.01;
constexpr int kCornerBlock = 3;
// Points no closer than a fifteenth of the face, so that they spread over the area.
constexpr double kSpacingPerFaceWidth = 1.0 / 15.0;
constexpr double kMinSpacing = 3.0;
// The points are followed within the area and a tenth of its width around it: a head moves less
// than that between two frames.
constexpr double kMarginPerAreaWidth = 0.1;
const cv::Size kTrackingWindow(15, 15);
// A point settles within a few steps; steps below 0.03 px change nothing the fit would see.
const cv::TermCriteria kTrackingStop(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 10, 0.03);
constexpr int kPyramidLevels = 1; // at half resolution: a quarter and an eighth of the frame
// A point agrees with the fit within a fiftieth of the face: how precisely a point is followed
// depends on the face's size in the frame (a small face from a low-resolution camera, scaled up
// to the processed width, is blurred by the same factor). With one pixel for every face, the fit
// on such a face rests on a handful of points.
constexpr double kFitTolerancePerFaceWidth = 0.02;
constexpr double kMinFitTolerancePx = 1.0;

// Where the points are picked: the skin above and below the eyes and between them (forehead, the
// bridge of the nose, the cheeks), which follows the skull where the eyes are, within the face.
// The eye squares themselves are left out by the caller's mask. The area ends at the outer edges
// of the eye squares: beyond them lie the face's outline, ears and hair, where corners sit on
// near-vertical edges that cannot tell vertical motion, stay put while the head moves, and can
// outvote the face in the fit.
cv::Rect aroundTheEyes(const cv::Rect& face, const std::array<cv::Rect, 2>& eyeSquares)
{
    if (eyeSquares[0].empty() || eyeSquares[1].empty()) {
        return face;
    }
    const cv::Rect eyes = eyeSquares[0] | eyeSquares[1];
    const int grow = eyes.height;
    return cv::Rect(eyes.x, eyes.y - grow, eyes.width, eyes.height + 2 * grow) & face;
}

} // namespace

void HeadMotionTracker::reset()
{
    m_points.clear();
    m_area = cv::Rect();
    m_halfCurrentSource = nullptr;
    m_framesFollowed = 0;
}

bool HeadMotionTracker::needsPoints() const
{
    return static_cast<int>(m_points.size()) < kMinPoints;
}

void HeadMotionTracker::pickPoints(const cv::Mat& grey, const FaceRecord& face,
                                   const std::array<cv::Rect, 2>& eyeSquares)
{
    reset();
    m_fitTolerance = std::max(kMinFitTolerancePx, face.width * kFitTolerancePerFaceWidth);
    const cv::Rect frame(0, 0, grey.cols, grey.rows);
    const cv::Rect area =
        aroundTheEyes(cv::Rect(face.x, face.y, face.width, face.height) & frame, eyeSquares);
    if (area.width < 2 * kCornerBlock || area.height < 2 * kCornerBlock) {
        return;
    }
    m_mask.create(area.size(), CV_8UC1);
    m_mask.setTo(255);
    for (const cv::Rect& square : eyeSquares) {
        const cv::Rect inArea = (square & area) - area.tl();
        if (!inArea.empty()) {
            m_mask(inArea).setTo(0);
        }
    }
    // Corners are looked for at half resolution: a sixth of the cost, and corners that stand out
    // at that scale are the ones the tracker follows best.
    cv::pyrDown(grey(area), m_half);
    cv::resize(m_mask, m_halfMask, m_half.size(), 0, 0, cv::INTER_NEAREST);
    const double spacing = std::max(kMinSpacing, face.width * kSpacingPerFaceWidth);
    cv::goodFeaturesToTrack(m_half, m_points, kMaxPoints, kCornerQuality, spacing / 2, m_halfMask,
                            kCornerBlock);
    const cv::Point2f origin(area.x + 0.5f, area.y + 0.5f);
    for (cv::Point2f& point : m_points) {
        point = point * 2.f + origin;
    }
    const int margin = static_cast<int>(area.width * kMarginPerAreaWidth);
    m_area = cv::Rect(area.x - margin, area.y - margin, area.width + 2 * margin,
                      area.height + 2 * margin) &
             frame;
}

std::optional<cv::Matx23d> HeadMotionTracker::follow(const cv::Mat& previous,
                                                     const cv::Mat& current)
{
    // The frame may have changed its size since the points were picked.
    const cv::Rect frame(0, 0, current.cols, current.rows);
    if (static_cast<int>(m_points.size()) < kMinFitPoints || m_area.empty() ||
        previous.size() != current.size() || (m_area & frame) != m_area) {
        reset();
        return std::nullopt;
    }
    // Only the area around the eyes is followed, at half resolution: the pyramids and gradients
    // the tracker builds are a sixteenth of the frame's, and the fit over all points is still
    // precise to a small fraction of a pixel. The previous frame was the current one of the last
    // call, unless points were picked since.
    // The pyramids are kept: this frame's is the next one's previous pyramid instead of being
    // built again, and their buffers are not reallocated.
    if (previous.data != m_halfCurrentSource) {
        cv::pyrDown(previous(m_area), m_halfCurrent);
        cv::buildOpticalFlowPyramid(m_halfCurrent, m_currentPyramid, kTrackingWindow,
                                    kPyramidLevels, false);
    }
    std::swap(m_previousPyramid, m_currentPyramid);
    cv::pyrDown(current(m_area), m_halfCurrent);
    cv::buildOpticalFlowPyramid(m_halfCurrent, m_currentPyramid, kTrackingWindow, kPyramidLevels,
                                false);
    m_halfCurrentSource = current.data;
    ++m_framesFollowed;
    const cv::Point2f offset(static_cast<float>(m_area.x), static_cast<float>(m_area.y));
    for (cv::Point2f& point : m_points) {
        point = (point - offset) * 0.5f;
    }
    cv::calcOpticalFlowPyrLK(m_previousPyramid, m_currentPyramid, m_points, m_found, m_status,
                             m_errors, kTrackingWindow, kPyramidLevels, kTrackingStop);
    m_from.clear();
    m_to.clear();
    const cv::Rect2f inside(0.f, 0.f, static_cast<float>(m_halfCurrent.cols),
                            static_cast<float>(m_halfCurrent.rows));
    for (std::size_t i = 0; i < m_points.size(); ++i) {
        if (m_status[i] && inside.contains(m_found[i])) {
            m_from.push_back(m_points[i] * 2.f + offset);
            m_to.push_back(m_found[i] * 2.f + offset);
        }
    }
    m_points = m_to;
    if (static_cast<int>(m_from.size()) < kMinFitPoints) {
        return std::nullopt;
    }
    // RANSAC leaves out points that move on their own: brows, cheeks, the outline against the
    // background.
    const cv::Mat fit =
        cv::estimateAffinePartial2D(m_from, m_to, cv::noArray(), cv::RANSAC, m_fitTolerance);
    if (fit.empty()) {
        return std::nullopt;
    }
    return cv::Matx23d(fit);
}
