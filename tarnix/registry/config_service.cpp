// The configuration driver's own service "Tarnix".
#include <windows.h>

#include <memory>

#include "kind_paths.h"
#include "kind_registry.h"
#include "registry_access.h"
#include "registry_key.h"

namespace tarnix {

namespace {

constexpr const char* kServiceName = "Tarnix";
// The service key an older configuration driver left behind.
constexpr const char* kOlderServiceName = "DnkConfig";
constexpr const char* kEnumKey = "Enum";

int32_t deleteServiceKey(const char* name) {
  const std::string path = JoinKey(xanconfig::kServicesKey, name);
  DeleteRegKey(path.c_str(), kEnumKey);
  return DeleteRegKey(xanconfig::kServicesKey, name);
}

}  // namespace

// The service is recreated before its values are written: the service
// manager keeps a service in its key, so a delete takes the values with it
// and a create over a key that is still there would be refused.
int32_t CreateConfigServiceKey(PendingDriverStarts* pending) {
  const xanconfig::ConfigurationService& s = xanconfig::kConfigurationService;
  namespace v = xanconfig::value;
  DeleteDriverService(kServiceName);
  auto service = std::make_unique<CreatedDriverService>(kServiceName, DriverErrorControl(kServiceName));
  RegKey key;
  bool failed = key.create(s.key) != 0;
  failed |= key.writeDword(v::kErrorControl, s.errorControl) != 0;
  failed |= key.writeText(v::kGroup, s.group) != 0;
  failed |= key.writeDword(v::kStart, s.start) != 0;
  failed |= key.writeDword(v::kType, s.type) != 0;
  if (pending != nullptr) {
    pending->push_back(std::move(service));
  } else {
    service->start();
  }
  return failed ? 5 : 0;
}

int32_t RemoveConfigService() {
  // Deleting the service takes its key along; the key then counts as
  // removed rather than as missing.
  const bool existed = RegKey().open(JoinKey(xanconfig::kServicesKey, kServiceName), KEY_READ) == 0;
  DeleteDriverService(kServiceName);
  deleteServiceKey(kOlderServiceName);
  const int32_t deleted = deleteServiceKey(kServiceName);
  return existed && deleted == ERROR_FILE_NOT_FOUND ? 0 : deleted;
}

void StopConfigService(StoppedDrivers& stopped) { stopped.stop(kServiceName); }

}  // namespace tarnix
