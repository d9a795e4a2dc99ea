#pragma once

#include <QStringList>

// The cameras that can be chosen, one description each, in the order of their indexes.
class CameraCatalog
{
public:
    virtual ~CameraCatalog() = default;
    virtual QStringList cameraDescriptions() const = 0;
};
