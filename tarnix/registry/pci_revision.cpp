#include "pci_revision.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "registry_key.h"

namespace tarnix {

namespace {

constexpr const char* kPciEnumKey = "Enum\\PCI";

}  // namespace

int32_t ReadPciRevision(const char* deviceName) {
  if (deviceName == nullptr) return 0;
  RegKey pci;
  if (pci.open(kPciEnumKey, KEY_READ) != 0) return 0;
  // The two names may hold "&" themselves: only the pairs that exist can
  // tell where the name divides.
  char device[xanconfig::kLongestValueBytes];
  for (DWORD i = 0; pci.subkeyName(i, device) == 0; ++i) {
    const std::string devicePath = JoinKey(kPciEnumKey, device);
    RegKey functions;
    if (functions.open(devicePath, KEY_READ) != 0) continue;
    char instance[xanconfig::kLongestValueBytes];
    for (DWORD j = 0; functions.subkeyName(j, instance) == 0; ++j) {
      if (std::string("PCI&") + device + "&" + instance != deviceName) continue;
      RegKey key;
      key.open(JoinKey(devicePath, instance), KEY_READ);
      char text[xanconfig::kLongestValueBytes];
      if (key.readText("HWRevision", text) != 0) return 0;
      return static_cast<int32_t>(std::strtol(text, nullptr, 10));
    }
  }
  return 0;
}

}  // namespace tarnix
