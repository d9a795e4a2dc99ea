#pragma once

#include "platform/CameraCatalog.h"

// The multimedia module's camera list, cameras of any position.
class MultimediaCameraCatalog : public CameraCatalog
{
public:
    QStringList cameraDescriptions() const override;
};
