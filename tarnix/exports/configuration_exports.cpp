// The configuration driver's service, removing the whole configuration, and
// whether a driver runs.
#include <tarnix.h>

#include "list/conversion.h"
#include "registry/kind_registry.h"
#include "registry/registry_access.h"
#include "system/system_info.h"

using namespace tarnix;

LONG WINAPI DnkConfigCreateConfigReg(int32_t mode) {
  const int32_t removed = RemoveConfigService();
  if (mode != 1) return removed;
  return CreateConfigServiceKey() == 0 ? kDnkOk : kDnkWriteFailed;
}

LONG WINAPI DnkConfigDeleteDnkReg(int32_t selector) {
  if ((selector >= 1 && selector <= 7) || selector == 10) {
    WipeKindRegistry(selector);
  } else if (selector == 8) {
    DnkConfigCreateConfigReg(0);
    for (int32_t kind : {1, 2, 3, 4, 5, 6, 10}) WipeKindRegistry(kind);
    DeleteRegKey("System\\CurrentControlSet\\Services\\Tarnix", "Enum");
    DeleteRegKey("System\\CurrentControlSet\\Services", "Tarnix");
    DeleteRegKey("Software\\DORNELL", "TARNIX");
  }
  return kDnkOk;
}

LONG WINAPI DnkConfigIsDriverStarted(const char* serviceName) {
  if (serviceName == nullptr) return 0;
  return IsWin9x(GetOsGeneration()) ? IsVxdLoaded(serviceName) : IsDriverServiceRunning(serviceName);
}
