#pragma once

#include "model/FaceDetector.h"

#include <opencv2/core.hpp>
#include <vector>

// Reports the faces a test sets, and remembers the size of the image it was shown.
class FakeFaceDetector : public FaceDetector
{
public:
    std::vector<DetectedFace> faces;
    cv::Size lastImageSize;
    int calls = 0;

    QString name() const override { return QStringLiteral("fake"); }
    const std::vector<DetectedFace>& detect(const cv::Mat& smallBgr) override
    {
        ++calls;
        lastImageSize = smallBgr.size();
        return faces;
    }

    // A frontal face of the given quarter-size box with eyes where a face has them.
    static DetectedFace face(int x, int y, int width, int height, int confidence = 99)
    {
        DetectedFace f;
        f.confidence = confidence;
        f.x = x;
        f.y = y;
        f.width = width;
        f.height = height;
        f.landmarks[0] = cv::Point2f(x + width * 0.3f, y + height * 0.4f);
        f.landmarks[1] = cv::Point2f(x + width * 0.7f, y + height * 0.4f);
        f.landmarks[2] = cv::Point2f(x + width * 0.5f, y + height * 0.6f);
        f.landmarks[3] = cv::Point2f(x + width * 0.35f, y + height * 0.8f);
        f.landmarks[4] = cv::Point2f(x + width * 0.65f, y + height * 0.8f);
        return f;
    }
};
