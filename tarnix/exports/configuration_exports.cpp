// The configuration driver's service, removing the whole configuration, and
// whether a driver runs.
#include <platform/registry_transaction.h>
#include <tarnix.h>

#include <vector>

#include "list/conversion.h"
#include "registry/kind_registry.h"
#include "registry/registry_access.h"
#include "system/system_info.h"

using namespace tarnix;

// The driver stops first, outside the store transaction; the removal and,
// in mode 1, the new key with its service then go in one step, so that a
// process that ends midway leaves the old service or the new one, whole.
// The new service starts once it is kept; a change not kept leaves the old
// one, and its driver starts again.
LONG WINAPI DnkConfigCreateConfigReg(int32_t mode) {
  StoppedDrivers stopped;
  StopConfigService(stopped);
  PendingDriverStarts pending;
  int32_t result = kDnkOk;
  {
    plat::RegistryTransaction change;
    if (change.status() != ERROR_SUCCESS) return mode == 1 ? kDnkWriteFailed : change.status();
    result = RemoveConfigService();
    if (mode == 1 && CreateConfigServiceKey(&pending) != 0) return kDnkWriteFailed;
    if (const LONG kept = change.commit(); kept != ERROR_SUCCESS) return mode == 1 ? kDnkWriteFailed : kept;
  }
  stopped.kept();
  StartDriverServices(pending);
  return mode == 1 ? kDnkOk : result;
}

// The drivers stop first, outside the store transaction; the keys then go in
// one step, so that a process that ends midway leaves the configuration
// whole. A removal not kept leaves the old services, and their drivers start
// again.
LONG WINAPI DnkConfigDeleteDnkReg(int32_t selector) {
  const bool everything = selector == 8;
  std::vector<int32_t> kinds;
  if (everything) {
    kinds = {1, 2, 3, 4, 5, 6, 10};
  } else if ((selector >= 1 && selector <= 7) || selector == 10) {
    kinds = {selector};
  } else {
    return kDnkOk;
  }
  StoppedDrivers stopped;
  if (everything) StopConfigService(stopped);
  for (int32_t kind : kinds) StopKindServices(kind, stopped);
  plat::RegistryTransaction change;
  if (change.status() != ERROR_SUCCESS) return kDnkOk;
  if (everything) RemoveConfigService();
  for (int32_t kind : kinds) WipeKindRegistry(kind);
  if (everything) {
    DeleteRegKey("System\\CurrentControlSet\\Services\\Tarnix", "Enum");
    DeleteRegKey("System\\CurrentControlSet\\Services", "Tarnix");
    DeleteRegKey("Software\\DORNELL", "TARNIX");
  }
  if (change.commit() == ERROR_SUCCESS) stopped.kept();
  return kDnkOk;
}

LONG WINAPI DnkConfigIsDriverStarted(const char* serviceName) {
  if (serviceName == nullptr) return 0;
  return IsWin9x(GetOsGeneration()) ? IsVxdLoaded(serviceName) : IsDriverServiceRunning(serviceName);
}
