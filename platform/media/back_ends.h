// The cameras of each back end, in the order the enumeration counts them.
#pragma once
#include <memory>
#include <vector>

#include "media/stream_connection.h"

namespace plat::camera {

struct BackedDevice {
  ModuleHold module;  // the library the device's code lives in, if any; released last
  std::unique_ptr<Device> device;
};

std::vector<BackedDevice> V4l2Devices();
std::vector<BackedDevice> InstalledDevices();

}  // namespace plat::camera
