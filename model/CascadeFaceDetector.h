#pragma once

#include "FaceDetector.h"

#include <opencv2/objdetect.hpp>

// The frontal-face Haar cascade, for when the CNN model is not available.
class CascadeFaceDetector : public FaceDetector
{
public:
    static QString defaultCascadePath();
    // Null when the cascade file cannot be loaded.
    static std::unique_ptr<CascadeFaceDetector> create(const QString& cascadePath);

    // Confidence from the number of merged neighbour windows (see the .cpp).
    static int confidenceFromNeighbours(int neighbours);

    QString name() const override;
    const std::vector<DetectedFace>& detect(const cv::Mat& smallBgr) override;

private:
    explicit CascadeFaceDetector(const QString& cascadePath);

    cv::CascadeClassifier m_cascade;
    QString m_cascadePath;
    cv::Mat m_grey;
    std::vector<cv::Rect> m_boxes;
    std::vector<int> m_neighbours;
    std::vector<DetectedFace> m_faces;
};
