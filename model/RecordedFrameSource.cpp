#include "RecordedFrameSource.h"

#include <utility>

RecordedFrameSource::RecordedFrameSource(std::string path, SimulatedEngineClock* clock,
                                         double fallbackFps, qint64 frameLimit)
    : m_path(std::move(path)), m_clock(clock), m_fallbackFps(fallbackFps), m_frameLimit(frameLimit)
{
}

bool RecordedFrameSource::open(int)
{
    m_capture.release();
    m_frameIndex = -1;
    m_lastTimeMs = 0.0;
    if (!m_capture.open(m_path)) {
        return false;
    }
    const double fps = m_capture.get(cv::CAP_PROP_FPS);
    m_fps = (fps > 0.5 && fps < 1000.0) ? fps : m_fallbackFps;
    if (m_clock) {
        m_clockOriginNs = m_clock->nowNs();
    }
    return true;
}

bool RecordedFrameSource::isOpened() const
{
    return m_capture.isOpened();
}

void RecordedFrameSource::release()
{
    m_capture.release();
}

bool RecordedFrameSource::read(cv::Mat& frame)
{
    if ((m_frameLimit > 0 && m_frameIndex + 1 >= m_frameLimit) || !m_capture.read(frame)) {
        return false;
    }
    ++m_frameIndex;
    // Containers with variable frame rates carry real timestamps; image sequences and broken
    // ones report nothing that increases, so those fall back to the nominal rate.
    const double rawMs = m_capture.get(cv::CAP_PROP_POS_MSEC);
    double timeMs = 0.0;
    if (m_frameIndex == 0) {
        m_firstRawMs = rawMs;
    } else {
        timeMs = rawMs - m_firstRawMs;
        if (!(timeMs > m_lastTimeMs)) {
            timeMs = m_lastTimeMs + 1000.0 / m_fps;
        }
    }
    m_lastTimeMs = timeMs;
    if (m_clock) {
        m_clock->setNowNs(m_clockOriginNs + static_cast<qint64>(timeMs * 1e6));
    }
    return true;
}
