// Stand-in bodies until the registry access is built.
#include "kind_registry.h"
#include "registry_access.h"

namespace tarnix {

int32_t ReadRegValue(const char*, int32_t, const char*, char* text, int32_t* value) {
  if (text != nullptr) text[0] = '\0';
  if (value != nullptr) *value = 0;
  return 2;
}
int32_t ReadRegBinary(const char*, const char*, void*, uint32_t*) { return 2; }
int32_t WriteRegValue(const char*, int32_t, const char*, const char*, int32_t) { return 5; }
int32_t WriteRegBinary(const char*, const char*, const void*, uint32_t) { return 5; }
int32_t CreateRegKey(const char*) { return 5; }
int32_t WriteExistingRegValue(const char*, int32_t, const char*, const char*, int32_t) { return 2; }
int32_t DeleteRegKey(const char*, const char*) { return 0; }
int32_t DeleteRegValue(const char*, const char*) { return 0; }
int32_t IsObjectNameFree(const char*) { return 1; }
void PurgeDeviceList(int32_t) {}
void WriteDeviceListEntry(const char*, const char*, int32_t, int32_t) {}
int32_t CreateAndStartDriverService(const char*) { return 0; }
int32_t StopDriverService(const char*) { return 0; }
int32_t DeleteDriverService(const char*) { return 1; }
int32_t LoadKindImage(int32_t) { return 0; }
int32_t StoreKindImage(int32_t) { return 0; }
void WipeKindRegistry(int32_t) {}
int32_t CreateConfigServiceKey() { return 0; }
int32_t RemoveConfigService() { return 0; }

}  // namespace tarnix
