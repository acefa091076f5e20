// modCAMERA's readers of the camera list file that the library writes at
// start-up (ListCameras.ini in the program folder): whether a camera can be
// used, the camera names and the frame sizes to offer. Each reader points
// the program's INI path at the list file and puts it back afterwards.
#pragma once
#include <string>
#include <vector>

namespace orvane::forms {

inline constexpr const char* kCameraListName = "ListCameras.ini";

// The list file in the program folder.
std::string CameraListPath(const std::string& programFolder);

// True when the selected camera could be added to a graph (the AddFilter
// result is exactly "0").
bool IsCameraAvailable(const std::string& listPath);

// The names of GlCAMNum cameras, each once, in list order.
std::vector<std::string> CameraNames(const std::string& listPath);

// The frame sizes as "width,height": those the selected camera lists, then
// "720,480", "640,480" and "320,240", each once. Empty unless a camera is
// available.
std::vector<std::string> FrameSizes(const std::string& listPath);

}  // namespace orvane::forms
