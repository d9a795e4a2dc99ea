#pragma once

#include "FaceLocator.h"

#include <array>
#include <opencv2/core.hpp>
#include <optional>
#include <vector>

// Follows points of the face around the eyes, outside the eye squares, from frame to frame and
// fits a similarity transform (shift, rotation, scale) to them: how the head moved, so that the
// eye flow can be measured with the head held still.
class HeadMotionTracker
{
public:
    void reset();
    // Too few points are left to fit a transform: pick new ones.
    bool needsPoints() const;
    // Frames followed since the points were picked.
    int framesFollowed() const { return m_framesFollowed; }
    // Picks corners of the face around the eyes but outside the eye squares, in `grey` (sharp).
    void pickPoints(const cv::Mat& grey, const FaceRecord& face,
                    const std::array<cv::Rect, 2>& eyeSquares);
    // Follows the points from previous to current (both sharp). The transform maps previous
    // coordinates to current ones; none when too few points could be followed.
    std::optional<cv::Matx23d> follow(const cv::Mat& previous, const cv::Mat& current);

private:
    std::vector<cv::Point2f> m_points; // in the coordinates of the last frame followed
    cv::Rect m_area; // the area around the eyes with a margin: the points stay inside it
    double m_fitTolerance = 1.0; // pixels; follows the face's size
    int m_framesFollowed = 0;
    std::vector<cv::Point2f> m_found;
    std::vector<unsigned char> m_status;
    std::vector<float> m_errors;
    std::vector<cv::Point2f> m_from;
    std::vector<cv::Point2f> m_to;
    cv::Mat m_mask;
    cv::Mat m_half;
    cv::Mat m_halfMask;
    cv::Mat m_halfCurrent;
    std::vector<cv::Mat> m_previousPyramid;
    std::vector<cv::Mat> m_currentPyramid;
    const uchar* m_halfCurrentSource = nullptr; // the frame m_halfCurrent was made from
};
