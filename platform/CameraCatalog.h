#pragma once

#include <QStringList>
#include <memory>

// The cameras that can be chosen, one description each, in the order of their indexes.
class CameraCatalog
{
public:
    virtual ~CameraCatalog() = default;
    virtual QStringList cameraDescriptions() const = 0;
};

// The system's camera list: the multimedia module's, cameras of any position.
std::unique_ptr<CameraCatalog> createCameraCatalog();
