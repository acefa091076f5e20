// Simulated cameras installed in the registry, each made by the library its
// key names.
#include <windows.h>
#include <winreg.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "media/back_ends.h"

namespace plat::camera {

namespace {

struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) RegCloseKey(handle);
  }
};

std::string readText(HKEY key, const char* name) {
  char value[MAX_PATH] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  return value;
}

// Key names that are plain decimal numbers, in numeric order.
std::vector<unsigned long> cameraNumbers(HKEY root) {
  std::vector<unsigned long> numbers;
  for (DWORD i = 0;; ++i) {
    char name[64];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    char* end = nullptr;
    const unsigned long n = std::strtoul(name, &end, 10);
    if (end != name && *end == '\0' && name[0] >= '0' && name[0] <= '9') numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

BackedDevice makeDevice(HKEY root, unsigned long number) {
  const std::string name = std::to_string(number);
  Key key;
  if (RegOpenKeyExA(root, name.c_str(), 0, KEY_READ, &key.handle) != ERROR_SUCCESS) return {};
  const std::string library = readText(key.handle, "Library");
  HMODULE module = library.empty() ? nullptr : LoadLibraryA(library.c_str());
  if (module == nullptr) return {};
  ModuleHold hold(module, [](void* m) { FreeLibrary(static_cast<HMODULE>(m)); });
  auto factory = reinterpret_cast<CameraFactory>(GetProcAddress(module, kCameraFactorySymbol));
  if (factory == nullptr) return {};
  const std::string path = std::string(kInstalledCamerasKey) + "\\" + name;
  std::unique_ptr<Device> device(factory(path.c_str()));
  if (!device) return {};
  return {std::move(hold), std::move(device)};
}

}  // namespace

std::vector<BackedDevice> InstalledDevices() {
  std::vector<BackedDevice> devices;
  Key root;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstalledCamerasKey, 0, KEY_READ, &root.handle) != ERROR_SUCCESS) {
    return devices;
  }
  for (unsigned long number : cameraNumbers(root.handle)) {
    BackedDevice d = makeDevice(root.handle, number);
    if (d.device) devices.push_back(std::move(d));
  }
  return devices;
}

}  // namespace plat::camera
