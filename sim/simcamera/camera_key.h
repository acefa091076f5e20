// A camera's settings as its registry key holds them (the layout is in simcamera.h).
#pragma once
#include <optional>
#include <string>

#include "simcamera.h"

namespace simcamera {

std::string SizesText(const std::vector<plat::camera::FrameSize>& sizes);
// Nothing when an entry is malformed.
std::optional<std::vector<plat::camera::FrameSize>> ParseSizes(const std::string& text);
// Nothing for a key that is missing or unusable; `path` is HKLM-relative.
std::optional<CameraSpec> ReadSpec(const std::string& path);
bool WriteSpec(const std::string& path, const CameraSpec& spec);

}  // namespace simcamera
