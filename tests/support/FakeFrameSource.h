#pragma once

#include "model/EngineClock.h"
#include "model/FrameSource.h"

#include <functional>
#include <opencv2/core.hpp>
#include <stdexcept>

// A camera for tests: opens or not, delivers frames of a chosen size at a chosen rate on a
// simulated clock, and can stop delivering after a number of frames.
class FakeFrameSource : public FrameSource
{
public:
    explicit FakeFrameSource(SimulatedEngineClock* clock = nullptr) : clock(clock) {}

    bool opens = true;
    bool throwOnOpen = false;
    cv::Size size{640, 480};
    double fps = 30.0;
    qint64 emptyFromFrame = -1; // read() fails from this frame index on
    int warmUp = 7;
    bool numberedFrames = false; // grey level = frame index, so each frame can be told apart
    // From this frame index on, frames come with another size or pixel type (-1: never).
    qint64 changeFromFrame = -1;
    cv::Size changedSize{640, 480};
    int changedType = CV_8UC3;
    SimulatedEngineClock* clock;
    // Draws frame `index` (8-bit BGR of the current size) in place of the plain colour.
    std::function<void(qint64 index, cv::Mat& frame)> draw;

    int openCalls = 0;
    int lastOpenedId = -1;
    int releaseCalls = 0;

    bool open(int cameraId) override
    {
        ++openCalls;
        lastOpenedId = cameraId;
        if (throwOnOpen) {
            throw std::runtime_error("device exploded");
        }
        m_open = opens;
        m_index = -1;
        return m_open;
    }
    bool isOpened() const override { return m_open; }
    void release() override
    {
        if (m_open) {
            ++releaseCalls;
        }
        m_open = false;
    }
    void requestFrameSize(int, int) override {}
    bool read(cv::Mat& frame) override
    {
        if (!m_open) {
            return false;
        }
        ++m_index;
        if (emptyFromFrame >= 0 && m_index >= emptyFromFrame) {
            frame.release();
            return false;
        }
        if (clock) {
            clock->advanceMs(1000.0 / fps);
        }
        const bool changed = changeFromFrame >= 0 && m_index >= changeFromFrame;
        frame.create(changed ? changedSize : size, changed ? changedType : CV_8UC3);
        if (draw && !changed) {
            draw(m_index, frame);
        } else if (numberedFrames) {
            frame.setTo(cv::Scalar::all(static_cast<double>(m_index % 256)));
        } else {
            frame.setTo(cv::Scalar(90, 120, 150));
        }
        return true;
    }
    int warmUpFrames() const override { return warmUp; }
    qint64 frameIndex() const override { return m_index; }

private:
    bool m_open = false;
    qint64 m_index = -1;
};
