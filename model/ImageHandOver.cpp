#include "ImageHandOver.h"

#include <QCoreApplication>
#include <QThread>

namespace {

// Enough for a steady preview: one being shown, one queued, one being drawn.
constexpr int kLiveBuffers = 3;

} // namespace

ImageHandOver::ImageHandOver() : m_buffers(kLiveBuffers)
{
}

QImage* ImageHandOver::take(Kind kind)
{
    for (Buffer& buffer : m_buffers) {
        if (!buffer.taken->load()) {
            buffer.taken->store(true);
            return &buffer.image;
        }
    }
    if (kind == LiveFrame) {
        return nullptr;
    }
    m_buffers.emplace_back();
    m_buffers.back().taken->store(true);
    return &m_buffers.back().image;
}

void ImageHandOver::releaseAfterReceiver(QImage* image)
{
    for (Buffer& buffer : m_buffers) {
        if (&buffer.image != image) {
            continue;
        }
        std::shared_ptr<std::atomic<bool>> taken = buffer.taken;
        // The release is posted to the interface thread behind the frameReceived() call, so it
        // runs after the receiver. Without a separate interface thread the receiver has run.
        QCoreApplication* app = QCoreApplication::instance();
        if (app && app->thread() != QThread::currentThread()) {
            QMetaObject::invokeMethod(
                app, [taken] { taken->store(false); }, Qt::QueuedConnection);
        } else {
            taken->store(false);
        }
        return;
    }
}
