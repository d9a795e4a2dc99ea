#pragma once

#include "FrameSource.h"
#include "platform/CameraCatalog.h"

#include <memory>
#include <opencv2/videoio.hpp>

// The webcam: a camera index is the place in the camera list, which names its device.
class WebcamFrameSource : public FrameSource
{
public:
    explicit WebcamFrameSource(std::unique_ptr<CameraCatalog> cameras = createCameraCatalog());

    bool open(int cameraId) override;
    bool isOpened() const override;
    void release() override;
    void requestFrameSize(int width, int height) override;
    bool read(cv::Mat& frame) override;
    int warmUpFrames() const override { return 7; }
    qint64 frameIndex() const override { return m_frameIndex; }

private:
    std::unique_ptr<CameraCatalog> m_cameras;
    cv::VideoCapture m_capture;
    qint64 m_frameIndex = -1;
};
