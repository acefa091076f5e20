// Placeholder until the camera back ends land: no camera at all.
#include <platform/camera.h>

namespace plat::camera {

std::vector<CameraInfo> EnumerateCameras() { return {}; }

std::unique_ptr<Connection> Connect(int32_t, std::string* error) {
  if (error != nullptr) *error = "no camera";
  return nullptr;
}

}  // namespace plat::camera
