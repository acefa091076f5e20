// Kernel devices that are present and nothing more.
#include <platform/device.h>

#include <mutex>

#include "tarnixcfg_sim.h"

namespace tarnixcfg {

namespace {

LONG open(PlatFile*) { return PLAT_STATUS_SUCCESS; }
LONG refuse(PlatRequest*) { return PLAT_STATUS_INVALID_DEVICE_REQUEST; }
PlatDeviceDriver g_present{nullptr, open, nullptr, nullptr, refuse, nullptr, nullptr};

struct Present {
  std::mutex mutex;
  std::vector<std::string> names;
};
Present& present() {
  static Present* p = new Present;
  return *p;
}

}  // namespace

bool AddKernelDevice(const std::string& name) {
  std::lock_guard<std::mutex> lock(present().mutex);
  if (!PlatRegisterDevice(name.c_str(), &g_present)) return false;
  present().names.push_back(name);
  return true;
}

void RemoveKernelDevices() {
  std::lock_guard<std::mutex> lock(present().mutex);
  for (const std::string& name : present().names) PlatUnregisterDevice(name.c_str());
  present().names.clear();
}

}  // namespace tarnixcfg
