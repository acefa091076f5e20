#include "advapi32/service_kernel.h"

#include <ntkrnl/ntkrnl_host.h>
#include <platform/device.h>
#include <win/modules.h>

namespace plat::svc {

namespace {

struct Kernel {
  decltype(&NtkStartDriver) start = nullptr;
  decltype(&NtkUnloadDriver) unload = nullptr;
  decltype(&NtkDriverRunning) running = nullptr;
};

// Resolved once; the module stays loaded for the process.
const Kernel& kernel() {
  static const Kernel k = [] {
    Kernel found;
    HMODULE module = LoadLibraryA("ntkrnl");
    if (module == nullptr) return found;
    found.start = reinterpret_cast<decltype(&NtkStartDriver)>(GetProcAddress(module, "NtkStartDriver"));
    found.unload = reinterpret_cast<decltype(&NtkUnloadDriver)>(GetProcAddress(module, "NtkUnloadDriver"));
    found.running = reinterpret_cast<decltype(&NtkDriverRunning)>(GetProcAddress(module, "NtkDriverRunning"));
    return found;
  }();
  return k;
}

}  // namespace

DWORD startKernelDriver(const char* service) {
  if (kernel().start == nullptr) return ERROR_MOD_NOT_FOUND;
  const NTSTATUS status = kernel().start(service, nullptr);
  if (NT_SUCCESS(status)) return ERROR_SUCCESS;
  if (status == STATUS_IMAGE_ALREADY_LOADED) return ERROR_SERVICE_ALREADY_RUNNING;
  if (status == STATUS_DRIVER_UNABLE_TO_LOAD) return ERROR_FILE_NOT_FOUND;
  return PlatStatusToWin32Error(status);
}

DWORD stopKernelDriver(const char* service) {
  if (kernel().unload == nullptr) return ERROR_SERVICE_NOT_ACTIVE;
  const NTSTATUS status = kernel().unload(service, nullptr);
  if (NT_SUCCESS(status)) return ERROR_SUCCESS;
  if (status == STATUS_OBJECT_NAME_NOT_FOUND) return ERROR_SERVICE_NOT_ACTIVE;
  if (status == STATUS_INVALID_DEVICE_REQUEST) return ERROR_INVALID_SERVICE_CONTROL;
  return PlatStatusToWin32Error(status);
}

bool kernelDriverRunning(const char* service) {
  return kernel().running != nullptr && kernel().running(service) != FALSE;
}

}  // namespace plat::svc
