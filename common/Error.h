#pragma once

#include <QMetaType>
#include <QString>

// Camera and detection errors carried by errorOccurred(Error). A plain 4-byte enumeration so
// that queued connections can copy it once it is registered as the meta-type "Error".
enum Error
{
    ErrorNone = 0,
    ErrorMissingData = 1,
    ErrorCameraOccupied = 2,
    ErrorLowFps = 3,
    ErrorNoFace = 4,
    ErrorMoreFaces = 5,
    ErrorEmptyFrame = 6,
    ErrorUnused = 7,
    ErrorNoCamera = 8
};

// The text that logs name each value by; anything outside 1 to 8 is "no error".
QString errorName(int error);

Q_DECLARE_METATYPE(Error)
