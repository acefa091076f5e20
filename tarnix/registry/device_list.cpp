// The object-name index: one subkey per object name under
// SOFTWARE\DORNELL\DEVICELIST. Entries whose DriverType is not 0 belong to
// another vendor's program and are never touched.
#include <cstring>
#include <string>

#include "registry_access.h"
#include "registry_key.h"

namespace tarnix {

namespace {

using xanconfig::kDeviceListKey;
namespace entry = xanconfig::entry;

// Kinds outside the table share the category 100 with the COM-port driver.
int32_t indexCategory(int32_t kind) {
  const int32_t category = xanconfig::categoryOf(kind);
  return category >= 0 ? category : 100;
}

struct EntryOwner {
  int32_t driverType = 0;
  int32_t category = 0;
};

EntryOwner readOwner(const char* name) {
  EntryOwner owner;
  RegKey key;
  if (key.open(JoinKey(kDeviceListKey, name), KEY_READ) == 0) {
    key.readDword(entry::kDriverType, owner.driverType);
    key.readDword(entry::kCategory, owner.category);
  }
  return owner;
}

}  // namespace

int32_t IsObjectNameFree(const char* objectName) {
  if (objectName == nullptr) return 1;
  RegKey index;
  if (index.open(kDeviceListKey, KEY_READ) != 0) return 1;
  // Key names match without regard to case; an entry is this name only
  // when it is spelled the same.
  char name[xanconfig::kLongestValueBytes];
  for (DWORD i = 0; index.subkeyName(i, name) == 0; ++i) {
    if (std::strcmp(name, objectName) == 0) return readOwner(name).driverType != xanconfig::kOwnDriverType ? 0 : 1;
  }
  return 1;
}

void PurgeDeviceList(int32_t kind) {
  const int32_t category = indexCategory(kind);
  RegKey index;
  if (index.open(kDeviceListKey, KEY_READ) != 0) return;
  char name[xanconfig::kLongestValueBytes];
  DWORD i = 0;
  while (index.subkeyName(i, name) == 0) {
    const EntryOwner owner = readOwner(name);
    // A deletion moves the later names down: start again from the first.
    // An entry that will not go is passed over, or the walk would not end.
    if (owner.driverType == xanconfig::kOwnDriverType && owner.category == category &&
        DeleteRegKey(kDeviceListKey, name) == 0) {
      i = 0;
    } else {
      ++i;
    }
  }
}

void WriteDeviceListEntry(const char* objectName, const char* model, int32_t kind, int32_t busType) {
  // A name with a backslash would make a path of nested keys, not an entry.
  if (objectName == nullptr || objectName[0] == '\0' || std::strchr(objectName, '\\') != nullptr) return;
  RegKey key;
  if (key.create(JoinKey(kDeviceListKey, objectName)) != 0) return;
  key.writeText(entry::kDevice, model != nullptr ? model : "");
  key.writeDword(entry::kDriverType, xanconfig::kOwnDriverType);
  key.writeDword(entry::kCategory, indexCategory(kind));
  key.writeDword(entry::kDeviceType, xanconfig::deviceTypeOf(busType));
}

}  // namespace tarnix
