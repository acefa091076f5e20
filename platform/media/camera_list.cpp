// The enumeration: real cameras first, then the installed simulated ones.
#include <platform/camera.h>

#include "media/back_ends.h"

namespace plat::camera {

namespace {

std::vector<BackedDevice> allDevices() {
  std::vector<BackedDevice> devices = V4l2Devices();
  for (BackedDevice& d : InstalledDevices()) devices.push_back(std::move(d));
  return devices;
}

}  // namespace

std::vector<CameraInfo> EnumerateCameras() {
  std::vector<CameraInfo> list;
  for (const BackedDevice& d : allDevices()) list.push_back(d.device->Info());
  return list;
}

std::unique_ptr<Connection> Connect(int32_t index, std::string* error) {
  std::vector<BackedDevice> devices = allDevices();
  if (index < 0 || static_cast<size_t>(index) >= devices.size()) {
    if (error != nullptr) *error = "no camera at index " + std::to_string(index);
    return nullptr;
  }
  BackedDevice& chosen = devices[static_cast<size_t>(index)];
  std::unique_ptr<FrameSource> source = chosen.device->Open(error);
  if (!source) return nullptr;
  CameraInfo info = chosen.device->Info();
  return std::make_unique<StreamConnection>(std::move(info), std::move(chosen.device), std::move(source),
                                            std::move(chosen.module));
}

}  // namespace plat::camera
