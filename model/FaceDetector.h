#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <opencv2/core.hpp>
#include <vector>

// One face as a detector reports it, in the coordinates of the quarter-size image it was given.
// The first landmark lies on the eye on the image's left, the second on the other eye.
struct DetectedFace
{
    int confidence = 0; // 0 to 100
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::array<cv::Point2f, 5> landmarks{};
};

class FaceDetector
{
public:
    virtual ~FaceDetector() = default;
    virtual QString name() const = 0;
    // The returned storage belongs to the detector and is reused by the next call.
    virtual const std::vector<DetectedFace>& detect(const cv::Mat& smallBgr) = 0;
};

// The CNN detector from the first model file of the list that loads, else the frontal-face
// cascade; null when neither can be had. Logs which detector runs.
std::unique_ptr<FaceDetector> createFaceDetector(const QStringList& cnnModelCandidates);
