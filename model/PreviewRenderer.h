#pragma once

#include "FaceLocator.h"

#include <QImage>
#include <opencv2/core.hpp>

// Draws the live preview: the frame scaled to 400 wide, the frame-rate label, the "blink
// detected" label while the marker runs, the face box and the measuring discs.
class PreviewRenderer
{
public:
    // fontFactor is 72 / DPI of the primary screen; the label shows while blinkMarker is above 0.
    // The result goes into target (24-bit RGB).
    void render(const cv::Mat& frame, float previewScale, int frameRate, int blinkMarker,
                const FaceRecord* face, const EyePair& eyes, double fontFactor, QImage& target);

private:
    cv::Mat m_scaled;
};
