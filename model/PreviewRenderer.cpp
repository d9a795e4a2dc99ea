#include "PreviewRenderer.h"

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace {

constexpr int kPreviewWidth = 400;
const QColor kGreen(152, 200, 0);
const QColor kOrange(212, 85, 0);
const QColor kRed(255, 0, 0);
const QColor kEyeBlue(0, 202, 255);

QColor frameRateColour(int frameRate)
{
    if (frameRate >= 21) {
        return kGreen;
    }
    return frameRate >= 16 ? kOrange : kRed;
}

QFont robotoFont(double points, int weight = QFont::Normal)
{
    QFont font(QStringLiteral("Roboto"));
    // A very high DPI would give size 0, which QFont rejects.
    font.setPointSize(std::max(1, static_cast<int>(points)));
    font.setWeight(weight);
    return font;
}

} // namespace

void PreviewRenderer::render(const cv::Mat& frame, float previewScale, int frameRate,
                             int blinkMarker, const FaceRecord* face, const EyePair& eyes,
                             double fontFactor, QImage& target)
{
    if (frame.empty() || previewScale <= 0.f) {
        return;
    }
    const int height = std::max(1, static_cast<int>(frame.rows / previewScale));
    cv::resize(frame, m_scaled, cv::Size(kPreviewWidth, height), 0, 0, cv::INTER_LINEAR);
    if (target.width() != m_scaled.cols || target.height() != m_scaled.rows ||
        target.format() != QImage::Format_RGB888) {
        target = QImage(m_scaled.cols, m_scaled.rows, QImage::Format_RGB888);
    }
    // Swap the channels straight into the target's pixels: no image is allocated per frame.
    cv::Mat rgb(target.height(), target.width(), CV_8UC3, target.bits(),
                static_cast<std::size_t>(target.bytesPerLine()));
    cv::cvtColor(m_scaled, rgb, cv::COLOR_BGR2RGB);

    QPainter painter(&target);
    painter.setPen(frameRateColour(frameRate));
    painter.setFont(robotoFont(16 * fontFactor));
    painter.drawText(QPoint(20, 30), QString::number(frameRate) + QStringLiteral(" fps"));

    if (blinkMarker > 0) {
        painter.setPen(kEyeBlue);
        painter.setFont(robotoFont(22 * fontFactor, 75));
        painter.drawText(target.rect(), Qt::AlignHCenter | Qt::AlignTop,
                         QCoreApplication::translate("Model", "blink detected"));
    }

    if (!face) {
        return;
    }
    painter.setPen(kGreen);
    painter.drawRect(static_cast<int>(std::round(face->x / previewScale)),
                     static_cast<int>(std::round(face->y / previewScale)),
                     static_cast<int>(std::round(face->width / previewScale)) - 2,
                     static_cast<int>(std::round(face->height / previewScale)) - 2);

    painter.setPen(kEyeBlue);
    const double right = target.width() - 2;
    const double bottom = target.height() - 2;
    for (const EyeValues& eye : {eyes.first, eyes.second}) {
        const double r = (eye.roiSize / 2.0) / previewScale - 1;
        const double cx = eye.x / previewScale - 1;
        const double cy = eye.y / previewScale - 1;
        // Only circles that fit inside the picture: the measuring disc has half the radius.
        if (r > 5 && cx - r > 1 && cx + r < right && cy - r > 1 && cy + r < bottom) {
            painter.drawEllipse(QPointF(cx, cy), r * 0.5, r * 0.5);
        }
    }
}
