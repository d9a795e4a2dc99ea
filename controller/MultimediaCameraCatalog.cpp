#include "controller/MultimediaCameraCatalog.h"

#include <QCameraInfo>

QStringList MultimediaCameraCatalog::cameraDescriptions() const
{
    QStringList descriptions;
    const QList<QCameraInfo> cameras = QCameraInfo::availableCameras(QCamera::UnspecifiedPosition);
    for (const QCameraInfo& camera : cameras)
        descriptions.append(camera.description());
    return descriptions;
}
