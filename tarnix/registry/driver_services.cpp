// Driver services through the service control manager, opened with full
// access for each operation. Its failures are not reported further.
#include <windows.h>

#include <xan_board_config.h>

#include <cstdio>
#include <cstring>

#include "driver_services.h"
#include "registry_access.h"


namespace tarnix {

namespace {

class ServiceHandle {
 public:
  explicit ServiceHandle(SC_HANDLE handle = nullptr) : handle_(handle) {}
  ~ServiceHandle() {
    if (handle_ != nullptr) CloseServiceHandle(handle_);
  }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
  void reset(SC_HANDLE handle) {
    if (handle_ != nullptr) CloseServiceHandle(handle_);
    handle_ = handle;
  }
  SC_HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  SC_HANDLE handle_;
};

SC_HANDLE openManager() { return OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS); }

// "<system directory>\Drivers\<name>.SYS".
void binaryPath(const char* serviceName, char (&path)[MAX_PATH + 64]) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, sizeof system);
  std::snprintf(path, sizeof path, "%s\\Drivers\\%s.SYS", system, serviceName);
}

}  // namespace

struct CreatedDriverService::Handles {
  explicit Handles(SC_HANDLE m) : manager(m) {}
  ServiceHandle manager;  // closed after the service
  ServiceHandle service;
};

CreatedDriverService::CreatedDriverService(const char* serviceName, int32_t errorControl)
    : handles_(std::make_unique<Handles>(openManager())) {
  if (!handles_->manager || serviceName == nullptr) return;
  char path[MAX_PATH + 64];
  binaryPath(serviceName, path);
  handles_->service.reset(CreateServiceA(handles_->manager.get(), serviceName, serviceName, SERVICE_ALL_ACCESS,
                                         SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START,
                                         static_cast<DWORD>(errorControl), path, nullptr, nullptr, nullptr, nullptr,
                                         nullptr));
}

CreatedDriverService::~CreatedDriverService() = default;

bool CreatedDriverService::created() const { return static_cast<bool>(handles_->service); }

int32_t CreatedDriverService::start() {
  if (!created()) return 0;
  return StartServiceA(handles_->service.get(), 0, nullptr) ? 1 : 0;
}

int32_t DriverErrorControl(const char* serviceName) {
  const char* comPort = xanconfig::kComPortDriversNt[0].serviceName;
  return serviceName != nullptr && std::strcmp(serviceName, comPort) == 0 ? 2 : 1;
}

int32_t CreateAndStartDriverService(const char* serviceName) {
  CreatedDriverService service(serviceName, DriverErrorControl(serviceName));
  return service.start();
}

int32_t StopDriverService(const char* serviceName) {
  ServiceHandle manager(openManager());
  if (!manager || serviceName == nullptr) return 0;
  ServiceHandle service(OpenServiceA(manager.get(), serviceName, SERVICE_ALL_ACCESS));
  if (!service) return 0;
  SERVICE_STATUS status{};
  return ControlService(service.get(), SERVICE_CONTROL_STOP, &status) ? 1 : 0;
}

int32_t StartDriverService(const char* serviceName) {
  ServiceHandle manager(openManager());
  if (!manager || serviceName == nullptr) return 0;
  ServiceHandle service(OpenServiceA(manager.get(), serviceName, SERVICE_ALL_ACCESS));
  if (!service) return 0;
  return StartServiceA(service.get(), 0, nullptr) ? 1 : 0;
}

StoppedDrivers::~StoppedDrivers() {
  for (const std::string& name : names_) StartDriverService(name.c_str());
}

void StoppedDrivers::stop(const char* serviceName) {
  if (StopDriverService(serviceName) != 0) names_.emplace_back(serviceName);
}

int32_t DeleteDriverService(const char* serviceName) {
  ServiceHandle manager(openManager());
  if (!manager || serviceName == nullptr) return 1;
  ServiceHandle service(OpenServiceA(manager.get(), serviceName, SERVICE_ALL_ACCESS));
  if (!service) return 1;
  return DeleteService(service.get()) ? 1 : 0;
}

}  // namespace tarnix
