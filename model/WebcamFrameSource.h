#pragma once

#include "FrameSource.h"

#include <opencv2/videoio.hpp>

class WebcamFrameSource : public FrameSource
{
public:
    bool open(int cameraId) override;
    bool isOpened() const override;
    void release() override;
    void requestFrameSize(int width, int height) override;
    bool read(cv::Mat& frame) override;
    int warmUpFrames() const override { return 7; }
    qint64 frameIndex() const override { return m_frameIndex; }

private:
    cv::VideoCapture m_capture;
    qint64 m_frameIndex = -1;
};
