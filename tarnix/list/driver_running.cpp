// Whether a board's driver runs: a started service under NT, a loaded VxD
// under Windows 9x.
#include <windows.h>

#include <cstring>
#include <string>

#include "list/conversion.h"

#ifndef FILE_FLAG_DELETE_ON_CLOSE
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#endif

namespace tarnix {

namespace {

struct ServiceHandle {
  SC_HANDLE value;
  explicit ServiceHandle(SC_HANDLE h) : value(h) {}
  ~ServiceHandle() {
    if (value != nullptr) CloseServiceHandle(value);
  }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
};

// "\\.\" + name + ".vxd" must fit this, its NUL included.
constexpr std::size_t kVxdPathBytes = 32;

}  // namespace

int32_t IsDriverServiceRunning(const char* serviceName) {
  if (serviceName == nullptr) return 0;
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (manager.value == nullptr) return 0;
  ServiceHandle service(OpenServiceA(manager.value, serviceName, SERVICE_QUERY_STATUS));
  SERVICE_STATUS status{};
  if (service.value == nullptr || !QueryServiceStatus(service.value, &status)) return 0;
  return status.dwCurrentState == SERVICE_RUNNING ? 1 : 0;
}

int32_t IsVxdLoaded(const char* driverName) {
  if (driverName == nullptr) return 0;
  const std::string path = std::string("\\\\.\\") + driverName + ".vxd";
  if (path.size() + 1 > kVxdPathBytes) return 0;
  HANDLE device = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (device == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(device);
  return 1;
}

}  // namespace tarnix
