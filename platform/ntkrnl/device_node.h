// What the kernel layer keeps beside each device object: its name, the
// platform driver its symbolic links register, and a count of what still
// refers to it (the driver, its links, its open files).
#pragma once
#include <platform/device.h>

#include <atomic>
#include <string>

#include <ntkrnl/nt_io.h>

namespace ntk {

struct DeviceNode {
  DEVICE_OBJECT object;  // first: the driver's pointer is the node's
  PlatDeviceDriver platform{};
  std::string name;  // "\Device\X", or empty
  bool exclusive = false;
  std::atomic<bool> deleted{false};
  std::atomic<int> references{1};
  std::atomic<int> opens{0};

  static DeviceNode* from(PDEVICE_OBJECT device) { return reinterpret_cast<DeviceNode*>(device); }
};

void retain(DeviceNode* node);
void release(DeviceNode* node);

// The platform driver's entry points (requests.cpp).
void bindPlatformDriver(DeviceNode* node);

// UTF-16 counted string to UTF-8.
std::string narrow(PCUNICODE_STRING text);
std::string narrow(PCWSTR text);

}  // namespace ntk
