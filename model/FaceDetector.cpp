#include "FaceDetector.h"

// Placeholder until the detectors land.
std::unique_ptr<FaceDetector> createFaceDetector(const QStringList&)
{
    return nullptr;
}
