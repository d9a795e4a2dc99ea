#pragma once

#include "platform/CameraCatalog.h"

// The cameras a test plugs in.
class FakeCameraCatalog : public CameraCatalog
{
public:
    QStringList cameras;
    QStringList cameraDescriptions() const override { return cameras; }
};
