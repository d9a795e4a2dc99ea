#include "platform/CameraBackend.h"

#include <opencv2/videoio.hpp>

int cameraApiPreference()
{
    return cv::CAP_V4L2;
}
