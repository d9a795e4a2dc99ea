#pragma once

#include <QtGlobal>
#include <opencv2/core.hpp>

// Where the engine's frames come from: a webcam, or a recorded video standing in for one.
class FrameSource
{
public:
    virtual ~FrameSource() = default;
    // Opens the camera with this index (a recorded source ignores the index). May throw.
    virtual bool open(int cameraId) = 0;
    virtual bool isOpened() const = 0;
    virtual void release() = 0;
    virtual void requestFrameSize(int width, int height) = 0;
    // False when no frame could be read; the frame may still come back empty.
    virtual bool read(cv::Mat& frame) = 0;
    // Frames thrown away after opening while the camera settles its exposure.
    virtual int warmUpFrames() const = 0;
    // Index of the last frame read, counted from the first frame the device delivered.
    virtual qint64 frameIndex() const = 0;
};
