#pragma once

// The capture back end the webcam is opened with: V4L2 on Linux, DirectShow on Windows.
int cameraApiPreference();
