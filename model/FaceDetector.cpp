#include "FaceDetector.h"

#include "CascadeFaceDetector.h"
#include "CnnFaceDetector.h"

#include <QDebug>

std::unique_ptr<FaceDetector> createFaceDetector(const QStringList& cnnModelCandidates)
{
    std::unique_ptr<FaceDetector> detector;
    for (const QString& path : cnnModelCandidates) {
        detector = CnnFaceDetector::create(path);
        if (detector) {
            break;
        }
    }
    if (!detector) {
        qDebug() << "Model: no CNN face model among" << cnnModelCandidates;
        detector = CascadeFaceDetector::create(CascadeFaceDetector::defaultCascadePath());
    }
    if (detector) {
        qDebug() << "Model: face detector" << detector->name();
    } else {
        qDebug() << "Model: no face detector could be loaded";
    }
    return detector;
}
