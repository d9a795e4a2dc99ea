#pragma once

#include "FaceDetector.h"

#include <opencv2/objdetect.hpp>

// OpenCV's YuNet convolutional face detector.
class CnnFaceDetector : public FaceDetector
{
public:
    // Null when the model file cannot be loaded.
    static std::unique_ptr<CnnFaceDetector> create(const QString& modelPath);

    QString name() const override;
    const std::vector<DetectedFace>& detect(const cv::Mat& smallBgr) override;

private:
    CnnFaceDetector(cv::Ptr<cv::FaceDetectorYN> net, const QString& modelPath);

    cv::Ptr<cv::FaceDetectorYN> m_net;
    QString m_modelPath;
    cv::Size m_inputSize;
    cv::Mat m_rows; // one row per face: box, five landmarks, score
    std::vector<DetectedFace> m_faces;
    bool m_failureLogged = false;
};
