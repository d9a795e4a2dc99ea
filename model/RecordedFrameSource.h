#pragma once

#include "EngineClock.h"
#include "FrameSource.h"

#include <opencv2/videoio.hpp>
#include <string>

// A video file or an image-sequence pattern ("frames/%04d.png") in place of the webcam. When given
// a simulated clock it moves that clock to each frame's time, so the engine sees the recording's
// own pace however fast it is decoded. A frame limit above zero ends the recording after that many
// frames.
class RecordedFrameSource : public FrameSource
{
public:
    explicit RecordedFrameSource(std::string path, SimulatedEngineClock* clock = nullptr,
                                 double fallbackFps = 30.0, qint64 frameLimit = 0);

    bool open(int cameraId) override;
    bool isOpened() const override;
    void release() override;
    void requestFrameSize(int, int) override {}
    bool read(cv::Mat& frame) override;
    int warmUpFrames() const override { return 0; }
    qint64 frameIndex() const override { return m_frameIndex; }

    double framesPerSecond() const { return m_fps; }
    // Time of the last frame read, from the start of the recording.
    double frameTimeMs() const { return m_lastTimeMs; }

private:
    std::string m_path;
    SimulatedEngineClock* m_clock;
    double m_fallbackFps;
    qint64 m_frameLimit;
    double m_fps = 0.0;
    cv::VideoCapture m_capture;
    qint64 m_frameIndex = -1;
    double m_lastTimeMs = 0.0;
    double m_firstRawMs = 0.0;
    qint64 m_clockOriginNs = 0;
};
