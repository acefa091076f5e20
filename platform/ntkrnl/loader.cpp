// The driver loader: a driver starts from its service key and is unloaded
// with a check that nothing of it stays behind (timers, DPCs, interrupts,
// devices, links, pool).
#include <dlfcn.h>
#include <windows.h>
#include <win/debug.h>
#include <win/modules.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <ntkrnl/ntddk.h>
#include <ntkrnl/ntkrnl_host.h>

#include "machine.h"
#include "objects.h"
#include "pool.h"
#include "requests.h"
#include "resources.h"

namespace ntk {

namespace {

constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
constexpr ULONG kKernelDriverType = 1;
constexpr ULONG kAutoStart = 2;

struct Loaded {
  std::string service;
  HMODULE module = nullptr;
  const void* base = nullptr;
  DRIVER_OBJECT driver{};
  std::u16string driverName;
  std::u16string registryPath;
};

struct Loader {
  std::recursive_mutex mutex;
  std::map<std::string, std::unique_ptr<Loaded>> running;  // by folded service name
  bool autoStarted = false;
};

Loader& loader() {
  static auto* l = new Loader;  // lives through static destruction
  return *l;
}

std::string folded(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::u16string widened(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

bool inDriver(const void* address, const void* context) {
  Dl_info info{};
  return address != nullptr && dladdr(address, &info) != 0 &&
         info.dli_fbase == static_cast<const Loaded*>(context)->base;
}

bool readValue(HKEY key, const char* name, DWORD wantedType, void* data, DWORD size) {
  DWORD type = 0;
  return RegQueryValueExA(key, name, nullptr, &type, static_cast<BYTE*>(data), &size) == ERROR_SUCCESS &&
         (type == wantedType || (wantedType == REG_SZ && type == REG_EXPAND_SZ));
}

// Takes down what the driver left, reports it, and frees the module.
void retire(Loaded& l, PNTK_LEFTOVERS out) {
  NTK_LEFTOVERS left{};
  unsigned timers = 0;
  unsigned dpcs = 0;
  removeWhere(inDriver, &l, timers, dpcs);
  KeFlushQueuedDpcs();
  left.TimersSet = timers;
  left.DpcsQueued = dpcs;
  left.InterruptsConnected = disconnectWhere(inDriver, &l);
  left.SymbolicLinks = deleteLinksOf(&l.driver);
  left.Devices = deleteDevicesOf(&l.driver);
  left.PoolAllocations = poolDisownWhere(inDriver, &l, left.PoolBytes);
  releaseClaimsOf(&l.driver);
  if (left.TimersSet + left.DpcsQueued + left.InterruptsConnected + left.SymbolicLinks + left.Devices +
          left.PoolAllocations !=
      0) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "ntkrnl: %s left %u pool blocks (%zu bytes), %u timers, %u DPCs, %u interrupts, %u devices, "
                  "%u links\n",
                  l.service.c_str(), left.PoolAllocations, static_cast<size_t>(left.PoolBytes), left.TimersSet,
                  left.DpcsQueued, left.InterruptsConnected, left.Devices, left.SymbolicLinks);
    OutputDebugStringA(line);
  }
  if (out != nullptr) *out = left;
  FreeLibrary(l.module);
}

}  // namespace

}  // namespace ntk

NTKRNL_API NTSTATUS NTAPI NtkStartDriver(const char* ServiceName, PNTK_LEFTOVERS Leftovers) {
  if (Leftovers != nullptr) *Leftovers = NTK_LEFTOVERS{};
  if (ServiceName == nullptr || *ServiceName == '\0') return STATUS_INVALID_PARAMETER;
  ntk::Loader& loader = ntk::loader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  if (loader.running.count(ntk::folded(ServiceName)) != 0) return STATUS_IMAGE_ALREADY_LOADED;
  const std::string keyPath = std::string(ntk::kServicesKey) + "\\" + ServiceName;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return STATUS_OBJECT_NAME_NOT_FOUND;
  }
  char image[MAX_PATH] = {};
  const bool haveImage = ntk::readValue(key, "ImagePath", REG_SZ, image, sizeof image - 1);
  RegCloseKey(key);
  if (!haveImage || image[0] == '\0') return STATUS_OBJECT_NAME_NOT_FOUND;

  auto l = std::make_unique<ntk::Loaded>();
  l->service = ServiceName;
  l->module = LoadLibraryA(image);
  if (l->module == nullptr) return STATUS_DRIVER_UNABLE_TO_LOAD;
  auto entry = reinterpret_cast<PDRIVER_INITIALIZE>(GetProcAddress(l->module, "DriverEntry"));
  Dl_info info{};
  if (entry == nullptr || dladdr(reinterpret_cast<const void*>(entry), &info) == 0) {
    FreeLibrary(l->module);
    return STATUS_PROCEDURE_NOT_FOUND;
  }
  l->base = info.dli_fbase;
  DRIVER_OBJECT& driver = l->driver;
  driver.Type = 4;
  driver.Size = static_cast<CSHORT>(sizeof(DRIVER_OBJECT));
  driver.DriverStart = const_cast<void*>(l->base);
  driver.DriverInit = entry;
  for (PDRIVER_DISPATCH& routine : driver.MajorFunction) routine = ntk::invalidDeviceRequest;
  l->driverName = ntk::widened(std::string("\\Driver\\") + ServiceName);
  RtlInitUnicodeString(&driver.DriverName, l->driverName.c_str());
  l->registryPath = ntk::widened(std::string("\\Registry\\Machine\\System\\CurrentControlSet\\Services\\") + ServiceName);
  UNICODE_STRING registryPath;
  RtlInitUnicodeString(&registryPath, l->registryPath.c_str());

  const NTSTATUS status = entry(&driver, &registryPath);
  if (!NT_SUCCESS(status)) {
    ntk::retire(*l, Leftovers);
    return status;
  }
  loader.running.emplace(ntk::folded(ServiceName), std::move(l));
  return status;
}

NTKRNL_API NTSTATUS NTAPI NtkUnloadDriver(const char* ServiceName, PNTK_LEFTOVERS Leftovers) {
  if (Leftovers != nullptr) *Leftovers = NTK_LEFTOVERS{};
  if (ServiceName == nullptr) return STATUS_INVALID_PARAMETER;
  ntk::Loader& loader = ntk::loader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  auto it = loader.running.find(ntk::folded(ServiceName));
  if (it == loader.running.end()) return STATUS_OBJECT_NAME_NOT_FOUND;
  ntk::Loaded& l = *it->second;
  if (l.driver.DriverUnload == nullptr) return STATUS_INVALID_DEVICE_REQUEST;
  l.driver.DriverUnload(&l.driver);
  ntk::retire(l, Leftovers);
  loader.running.erase(it);
  return STATUS_SUCCESS;
}

NTKRNL_API BOOLEAN NTAPI NtkDriverRunning(const char* ServiceName) {
  if (ServiceName == nullptr) return FALSE;
  ntk::Loader& loader = ntk::loader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  return loader.running.count(ntk::folded(ServiceName)) != 0 ? TRUE : FALSE;
}

NTKRNL_API ULONG NTAPI NtkStartAutoStartDrivers(void) {
  ntk::Loader& loader = ntk::loader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  if (loader.autoStarted) return 0;
  loader.autoStarted = true;
  HKEY services = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ntk::kServicesKey, 0, KEY_READ, &services) != ERROR_SUCCESS) return 0;
  ULONG started = 0;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(services, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY key = nullptr;
    if (RegOpenKeyExA(services, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    DWORD type = 0;
    DWORD start = 0;
    const bool wanted = ntk::readValue(key, "Type", REG_DWORD, &type, sizeof type) &&
                        ntk::readValue(key, "Start", REG_DWORD, &start, sizeof start) &&
                        type == ntk::kKernelDriverType && start <= ntk::kAutoStart;
    RegCloseKey(key);
    if (wanted && NT_SUCCESS(NtkStartDriver(name, nullptr))) ++started;
  }
  RegCloseKey(services);
  return started;
}
