#include "platform/linux/MultimediaCameraCatalog.h"

#include <QCameraInfo>

QStringList MultimediaCameraCatalog::cameraDescriptions() const
{
    QStringList descriptions;
    const QList<QCameraInfo> cameras = QCameraInfo::availableCameras(QCamera::UnspecifiedPosition);
    for (const QCameraInfo& camera : cameras) {
        descriptions.append(camera.description());
    }
    return descriptions;
}

std::unique_ptr<CameraCatalog> createCameraCatalog()
{
    return std::make_unique<MultimediaCameraCatalog>();
}
