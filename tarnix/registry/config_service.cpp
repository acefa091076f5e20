// The configuration driver's own service "Tarnix".
#include "kind_paths.h"
#include "kind_registry.h"
#include "registry_access.h"

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

int32_t CreateConfigServiceKey() {
  const xanconfig::ConfigurationService& s = xanconfig::kConfigurationService;
  namespace v = xanconfig::value;
  RegKey key;
  bool failed = key.create(s.key) != 0;
  failed |= key.writeDword(v::kErrorControl, s.errorControl) != 0;
  failed |= key.writeText(v::kGroup, s.group) != 0;
  failed |= key.writeDword(v::kStart, s.start) != 0;
  failed |= key.writeDword(v::kType, s.type) != 0;
  if (failed) return 5;
  StopDriverService(kServiceName);
  DeleteDriverService(kServiceName);
  CreateAndStartDriverService(kServiceName);
  return 0;
}

int32_t RemoveConfigService() {
  StopDriverService(kServiceName);
  DeleteDriverService(kServiceName);
  deleteServiceKey(kOlderServiceName);
  return deleteServiceKey(kServiceName);
}

}  // namespace tarnix
