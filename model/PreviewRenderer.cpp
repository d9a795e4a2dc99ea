#include "PreviewRenderer.h"

// Placeholder until the preview drawing lands.
void PreviewRenderer::render(const cv::Mat&, float, int, int&, const FaceRecord*, const EyePair&,
                             double, QImage&)
{
}
