#include "device_set.h"

#include <platform/device.h>
#include <platform/dllmain.h>
#include <strings.h>
#include <winreg.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "installer.h"
#include "kernel_driver.h"
#include "timer_count_driver.h"

namespace halviksim {

namespace {

// A timer-count device is a driver of its own behind its name.
constexpr int kBusTimerCount = 1;

std::string readText(HKEY key, const char* name) {
  char buffer[512] = {};
  DWORD size = sizeof buffer - 1, type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  return buffer;
}

DWORD readNumber(HKEY key, const char* name, DWORD fallback) {
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return fallback;
  }
  return value;
}

// "\DosDevices\NAME" and "\??\NAME" give NAME; a plain name stays itself.
std::string kernelName(const std::string& symbolic) {
  for (const char* prefix : {"\\DosDevices\\", "\\??\\"}) {
    const size_t n = std::strlen(prefix);
    if (symbolic.size() > n && strncasecmp(symbolic.c_str(), prefix, n) == 0) return symbolic.substr(n);
  }
  return symbolic.empty() || symbolic[0] == '\\' ? std::string() : symbolic;
}

// The placements of one subkey: a device, the modules of a unit, or none.
void readSubkey(HKEY key, std::vector<Placement>& out) {
  const DWORD category = readNumber(key, "CategoryType", 0) & 0xFFFF;
  if (category != 2 && category != 8) return;
  Placement common;
  common.busKind = static_cast<int>(readNumber(key, "DeviceType", 0) & 0xFFFF);
  const std::string symbolic = readText(key, "SymbolicName");
  const bool bus = common.busKind == 10 || common.busKind == 3;
  common.path = bus ? symbolic : kernelName(symbolic);
  const std::string desc = readText(key, "DriverDesc");
  common.model = desc.size() > 4 ? desc.substr(4) : std::string();
  if (category == 2) {
    common.deviceName = readText(key, "DeviceName");
    common.moduleIndex = static_cast<int>(std::strtoul(readText(key, "FelnDeviceID").c_str(), nullptr, 16));
    if (!common.deviceName.empty()) out.push_back(common);
    return;
  }
  for (int i = 0; i < 8; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "CategoryType%X", i);
    if (readNumber(key, name, 0) != 2) continue;
    Placement module = common;
    std::snprintf(name, sizeof name, "DeviceName%X", i);
    module.deviceName = readText(key, name);
    std::snprintf(name, sizeof name, "ModuleType%X", i);
    module.model = readText(key, name);
    module.moduleIndex = i;
    if (!module.deviceName.empty()) out.push_back(module);
  }
}

std::vector<Placement> readRegistry() {
  std::vector<Placement> found;
  HKEY classKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassKey, 0, KEY_READ, &classKey) != ERROR_SUCCESS) return found;
  char name[128];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(classKey, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY key = nullptr;
    if (RegOpenKeyExA(classKey, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    readSubkey(key, found);
    RegCloseKey(key);
  }
  RegCloseKey(classKey);
  return found;
}

class DeviceSet {
 public:
  void scan() {
    const std::vector<Placement> placements = readRegistry();
    std::lock_guard<std::mutex> lock(mutex_);
    dropLocked();
    devices_.clear();
    for (const Placement& placement : placements) {
      auto device = std::make_shared<Device>(placement);
      devices_.push_back(device);
      const bool kernel = placement.busKind != 10 && placement.busKind != 3;
      if (!kernel || placement.path.empty()) continue;
      // A driver lives as long as the process: files opened on it may
      // outlast a rescan.
      PlatDeviceDriver* driver = nullptr;
      if (placement.busKind == kBusTimerCount && IsTimerCountModel(placement.model)) {
        auto* entry = new TimerCountDriver(device);
        timerCountDrivers_.push_back(entry);
        driver = &entry->driver;
      } else {
        auto* entry = new KernelDevice(device);
        drivers_.push_back(entry);
        driver = &entry->driver;
      }
      if (PlatRegisterDevice(placement.path.c_str(), driver)) registered_.push_back(placement.path);
    }
  }

  void drop() {
    std::lock_guard<std::mutex> lock(mutex_);
    dropLocked();
  }

  std::shared_ptr<Device> named(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& device : devices_) {
      if (strcasecmp(device->placement().deviceName.c_str(), name.c_str()) == 0) return device;
    }
    return nullptr;
  }

  std::shared_ptr<Device> at(int busKind, const std::string& path, int moduleIndex) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& device : devices_) {
      const Placement& p = device->placement();
      if (p.busKind == busKind && strcasecmp(p.path.c_str(), path.c_str()) == 0 &&
          (moduleIndex < 0 || p.moduleIndex == moduleIndex)) {
        return device;
      }
    }
    return nullptr;
  }

 private:
  void dropLocked() {
    for (const std::string& name : registered_) PlatUnregisterDevice(name.c_str());
    registered_.clear();
  }

  std::mutex mutex_;
  std::vector<std::shared_ptr<Device>> devices_;
  std::vector<std::string> registered_;
  std::vector<KernelDevice*> drivers_;
  std::vector<TimerCountDriver*> timerCountDrivers_;
};

// Never destroyed: the platform may still hold files of our drivers while
// the process ends.
DeviceSet& deviceSet() {
  static DeviceSet* set = new DeviceSet;
  return *set;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) scanDevices();
  if (reason == DLL_PROCESS_DETACH) dropDevices();
  return TRUE;
}

}  // namespace

void scanDevices() { deviceSet().scan(); }
void dropDevices() { deviceSet().drop(); }
std::shared_ptr<Device> deviceNamed(const std::string& name) { return deviceSet().named(name); }
std::shared_ptr<Device> deviceAt(int busKind, const std::string& path, int moduleIndex) {
  return deviceSet().at(busKind, path, moduleIndex);
}

}  // namespace halviksim

ORVANE_DLLMAIN(halviksim::DllMain)
