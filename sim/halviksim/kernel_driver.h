// The kernel driver stand-in: the platform device behind "\\.\NAME" for one
// simulated device.
#pragma once
#include <platform/device.h>

#include <memory>

#include "device.h"

namespace halviksim {

struct KernelDevice {
  explicit KernelDevice(std::shared_ptr<Device> model);
  PlatDeviceDriver driver{};
  std::shared_ptr<Device> device;
};

}  // namespace halviksim
