#include "WebcamFrameSource.h"

#include "platform/CameraBackend.h"

WebcamFrameSource::WebcamFrameSource(std::unique_ptr<CameraCatalog> cameras)
    : m_cameras(std::move(cameras))
{
}

bool WebcamFrameSource::open(int cameraId)
{
    m_frameIndex = -1;
    const QString path = m_cameras ? m_cameras->devicePath(cameraId) : QString();
    if (path.isEmpty()) {
        // Not in the list: the back end's own numbering, which finds nothing either.
        return m_capture.open(cameraId, cameraApiPreference());
    }
    return m_capture.open(path.toStdString(), cameraApiPreference());
}

bool WebcamFrameSource::isOpened() const
{
    return m_capture.isOpened();
}

void WebcamFrameSource::release()
{
    m_capture.release();
}

void WebcamFrameSource::requestFrameSize(int width, int height)
{
    m_capture.set(cv::CAP_PROP_FRAME_WIDTH, width);
    m_capture.set(cv::CAP_PROP_FRAME_HEIGHT, height);
}

bool WebcamFrameSource::read(cv::Mat& frame)
{
    const bool ok = m_capture.read(frame);
    if (ok) {
        ++m_frameIndex;
    }
    return ok;
}
