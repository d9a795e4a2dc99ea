#pragma once

#include <QImage>
#include <atomic>
#include <deque>
#include <memory>

// The images frameReceived(QImage*) points to. The receiver reads one on the interface thread
// while the engine goes on, so a buffer handed over is left untouched until the receiver's
// queued slot has run; then it serves again.
class ImageHandOver
{
public:
    enum Kind
    {
        LiveFrame,    // the next frame replaces it: may be skipped when the interface lags
        StatusPicture // the last word of a run: must arrive
    };

    ImageHandOver();
    ImageHandOver(const ImageHandOver&) = delete;
    ImageHandOver& operator=(const ImageHandOver&) = delete;

    // A free buffer, marked taken. Null for a live frame when the interface still holds every
    // buffer; a status picture then gets one more buffer (they come at most one per run request,
    // so the pool stays small).
    QImage* take(Kind kind);
    // Call right after emitting the buffer: it becomes free once the receiver has run.
    void releaseAfterReceiver(QImage* buffer);

private:
    struct Buffer
    {
        QImage image;
        // Shared with the posted release, which may run after the engine is gone.
        std::shared_ptr<std::atomic<bool>> taken = std::make_shared<std::atomic<bool>>(false);
    };
    // A deque keeps the addresses already handed out when it grows.
    std::deque<Buffer> m_buffers;
};
